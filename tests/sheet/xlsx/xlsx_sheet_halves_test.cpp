// ReadSheetCells on a part read in two halves: everything it hands back (cells, texts and their
// ids, shared-string uses, marks, the error) is what the single pass hands back, wherever the
// split falls. The size from which a part splits is lowered so that small sheets split.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <tuple>

#include "cell_value_printer.h"
#include "model/run_error.h"
#include "sheet/xlsx/sheet_cells.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/zip_archive.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

constexpr std::size_t kNeverSplit = static_cast<std::size_t>(-1);
const std::vector<std::string> kTable = {"zero", "one", "two", "three", "four", "five"};
// Cells whose marks are asked; formats 1 and 7 show the mark.
const std::vector<CellPosition> kAsked = {{1, 1}, {2, 3}, {5, 2}, {9, 1}, {12, 4}, {20, 2}};
const std::vector<bool> kMarkedFormats = {false, true, false, false, false, false, false, true};

struct Options {
  bool deferred = true;  // shared strings filled afterwards, as the workbook reader does
  std::size_t text_limit = std::size_t{256} * 1024 * 1024;
};

// All a read hands back that anything downstream can see.
struct Reading {
  std::vector<std::tuple<int, int, CellValue>> cells;
  std::size_t texts = 0;
  std::size_t text_bytes = 0;
  std::map<std::uint32_t, std::tuple<std::uint32_t, int, int>> uses;
  std::vector<bool> marked;
  std::string error;
  bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& r, std::ostream* os) {
  *os << r.cells.size() << " cells, " << r.texts << " texts, " << r.text_bytes << " bytes, "
      << r.uses.size() << " shared, error \"" << r.error << "\"";
}

// `halves`, when given, learns whether the part was read in two halves.
Reading ReadWith(std::string_view xml, std::size_t split_bytes, const Options& options = {},
                 bool* halves = nullptr) {
  Reading out;
  SharedStringUses uses;
  MarkQuery marks(kAsked);
  SheetContext context{"f.xlsx", "xl/worksheets/sheet1.xml", &kTable, false};
  context.deferred_strings = options.deferred ? &uses : nullptr;
  context.text_limit = options.text_limit;
  context.marks = &marks;
  context.split_bytes = split_bytes;
  context.read_in_halves = halves;
  try {
    CellStore cells = ReadSheetCells(xml, context);
    // Name each deferred text after its index, so that a cell pointing at the wrong text id
    // shows.
    for (const auto& [index, use] : uses) {
      cells.ReplaceText(use.text_id, "shared " + std::to_string(index));
      out.uses[index] = {use.text_id, use.row, use.col};
    }
    cells.ForEach([&](std::int32_t row, std::int32_t col, CellValue value) {
      out.cells.emplace_back(row, col, std::move(value));
    });
    out.texts = cells.text_count();
    out.text_bytes = cells.text_bytes();
    marks.Resolve(kMarkedFormats);
    for (std::size_t i = 0; i < kAsked.size(); ++i) {
      out.marked.push_back(marks.marked(i));
    }
  } catch (const RunError& e) {
    out.error = e.description();
  }
  return out;
}

// Reads `xml` in one pass and forced into halves; both must agree. Returns whether it split.
bool ExpectSameAsOnePass(std::string_view xml, const Options& options = {}) {
  bool one_split = true;
  bool two_split = false;
  EXPECT_EQ(ReadWith(xml, kNeverSplit, options, &one_split), ReadWith(xml, 0, options, &two_split))
      << xml.substr(0, 2000);
  EXPECT_FALSE(one_split);
  return two_split;
}

// A sheet whose middle falls just before `second`: whitespace pads the shorter side, inside
// <sheetData> before `first` or after the root.
std::string Halves(const std::string& first, const std::string& second,
                   const std::string& root = "worksheet", const std::string& data = "sheetData") {
  const std::string head = "<" + root + " xmlns=\"" + kMainNs + "\"><" + data + ">";
  const std::string tail = "</" + data + "></" + root + ">";
  const std::size_t before = head.size() + first.size();
  const std::size_t after = second.size() + tail.size();
  const std::string lead(after > before ? after - before : 0, ' ');
  const std::string trail(before > after ? before - after : 0, ' ');
  return head + lead + first + second + tail + trail;
}

TEST(SheetHalves, OddSplitsFallBackToOnePass) {
  const std::string row = R"(<row r="8"><c r="A8"><v>8</v></c></row>)";
  const std::string hidden = R"(<row r="9"><c r="A9"><v>9</v></c></row>)";  // not sheet data
  // The row at the split has no number; the split lies in a comment or in CDATA; the part is
  // one huge row (no row starts after its middle); the row names carry a prefix.
  const std::string unnumbered = R"(<row spans="1:1"><c><v>9</v></c></row>)";
  EXPECT_FALSE(ExpectSameAsOnePass(Halves(row, unnumbered + row)));
  // Many rows ahead of the comment and few behind its start let the second reader finish
  // before the first sees that the split was no row start: its cells must still not count.
  std::string many;
  for (int r = 1; r < 20000; ++r) {
    many += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
  }
  EXPECT_FALSE(ExpectSameAsOnePass(
      Halves(many + row + "<!-- ", hidden + std::string(many.size(), ' ') + " -->" + row)));
  EXPECT_FALSE(ExpectSameAsOnePass(Halves(R"(<row r="8"><c r="A8" t="inlineStr"><is><t><![CDATA[ )",
                                          hidden + R"( ]]></t></is></c></row>)")));
  std::string huge = R"(<row r="1">)";
  for (int col = 1; col <= 200; ++col) {
    huge += "<c><v>" + std::to_string(col) + "</v></c>";
  }
  EXPECT_FALSE(ExpectSameAsOnePass(Halves(huge, "</row>")));
  // After </sheetData> a row is not sheet data, even one that starts exactly at the middle.
  EXPECT_FALSE(
      ExpectSameAsOnePass(Halves(row + "</sheetData><extLst>", hidden + "</extLst><sheetData>")));
}

TEST(SheetHalves, PrefixedRootAndSheetDataCloseInTheSecondHalf) {
  const std::string xml =
      Halves(R"(<row r="1"><c r="A1"><v>1</v></c></row>)",
             R"(<row r="2"><c r="A2" t="s"><v>2</v></c></row>)", "x:worksheet", "x:sheetData");
  const std::string declared = std::string(xml).replace(xml.find("xmlns="), 5, "xmlns:x");
  EXPECT_TRUE(ExpectSameAsOnePass(declared));
}

TEST(SheetHalves, TheFirstErrorInTheDocumentIsReported) {
  const std::string good = R"(<row r="1"><c r="A1"><v>1</v></c></row>)";
  const std::string bad_first = R"(<row r="2"><c r="B2"><v>x</v></c></row>)";
  const std::string bad_second = R"(<row r="30"><c r="C30" t="b"><v>y</v></c></row>)";
  const std::string cut = R"(<row r="40"><c r="D40"><v>1</v></c>)";  // never closed
  for (const std::string& xml :
       {Halves(bad_first, bad_second), Halves(good, bad_second), Halves(bad_first, good),
        Halves(good, bad_second + cut), Halves(good, R"(<row r="0"><c><v>1</v></c></row>)"),
        Halves(good, R"(<row r="5"><c t="s"><v>6</v></c></row>)")}) {
    ExpectSameAsOnePass(xml, {true});
    ExpectSameAsOnePass(xml, {false});
    EXPECT_FALSE(ReadWith(xml, 0, {false}).error.empty()) << xml;
  }
}

TEST(SheetHalves, TheTextLimitCountsBothHalvesAndSharedTextsOnce) {
  const std::string first =
      R"(<row r="1"><c r="A1" t="inlineStr"><is><t>abcdef</t></is></c><c r="B1" t="s"><v>3</v></c></row>)";
  const std::string second =
      R"(<row r="2"><c r="A2" t="inlineStr"><is><t>ghijkl</t></is></c><c r="B2" t="s"><v>3</v></c>)"
      R"(<c r="C2" t="s"><v>4</v></c></row>)";
  const std::string xml = Halves(first, second);
  // Without deferral the shared texts count: 6 + 5 ("three") + 6 + 4 ("four") = 21 bytes.
  for (const std::size_t limit : {20u, 21u, 11u, 12u, 16u}) {
    for (const bool deferred : {true, false}) {
      ExpectSameAsOnePass(xml, {deferred, limit});
    }
  }
  EXPECT_FALSE(ReadWith(xml, 0, {false, 20}).error.empty());
  bool halves = false;
  ReadWith(xml, 0, {false, 21}, &halves);
  EXPECT_TRUE(halves);
}

// Random sheets of every cell kind, with the split swept over every row start.
std::string RandomSheetData(std::mt19937& random, int rows, bool with_errors) {
  std::string data;
  std::int32_t row = 0;
  for (int r = 0; r < rows; ++r) {
    const int pick = static_cast<int>(random() % 10);
    if (pick == 0) {
      data += "<row>";
      ++row;
    } else if (pick == 1 && row > 2) {
      row -= 2;  // back to an earlier row: the cells are sorted, the later of two wins
      data += "<row r=\"" + std::to_string(row) + "\">";
    } else {
      row += 1 + static_cast<int>(random() % 2);
      data += "<row r=\"" + std::to_string(row) + "\">";
    }
    const int cells = static_cast<int>(random() % 4);
    for (int c = 0; c < cells; ++c) {
      const std::string at =
          random() % 3 == 0 ? ""
                            : " r=\"" + CellName(row, 1 + static_cast<int>(random() % 5)) + "\"";
      const std::string style = " s=\"" + std::to_string(random() % 9) + "\"";
      switch (random() % 8) {
        case 0:
          data += "<c" + at + style + " t=\"s\"><v>" + std::to_string(random() % 6) + "</v></c>";
          break;
        case 1:
          data += "<c" + at + " t=\"inlineStr\"><is><t>t" + std::to_string(random() % 50) +
                  "</t></is></c>";
          break;
        case 2:
          data += "<c" + at + " t=\"e\"><v>#N/A</v></c>";
          break;
        case 3:
          data += "<c" + at + " t=\"b\"><v>" + (random() % 2 ? "1" : "false") + "</v></c>";
          break;
        case 4:
          data += "<!-- <row r=\"99\"> --><c" + at + "><v>" + std::to_string(r) + ".5</v></c>";
          break;
        case 5:
          if (with_errors && random() % 4 == 0) {
            data += "<c" + at + "><v>bad" + std::to_string(r) + "</v></c>";
            break;
          }
          [[fallthrough]];
        default:
          data += "<c" + at + style + "><v>" + std::to_string(random() % 1000) + "</v></c>";
      }
    }
    data += random() % 5 == 0 ? "</row>\n" : "</row>";
  }
  return data;
}

TEST(SheetHalves, RandomSheetsSplitAtEveryRowReadAsInOnePass) {
  std::mt19937 random(17);
  int split = 0;
  int tried = 0;
  for (int sheet = 0; sheet < 12; ++sheet) {
    const std::string data = RandomSheetData(random, 24, sheet % 3 == 2);
    const Options options{sheet % 2 == 0, sheet % 4 == 1 ? std::size_t{60} : kNeverSplit};
    // Each row start in turn lands at the middle of the part.
    for (std::size_t at = data.find("<row"); at != std::string::npos;
         at = data.find("<row", at + 1)) {
      ++tried;
      split += ExpectSameAsOnePass(Halves(data.substr(0, at), data.substr(at)), options) ? 1 : 0;
    }
  }
  // Most splits are clean and really read in halves; the rest took the single pass.
  EXPECT_GT(split, tried / 3);
}

TEST(SheetHalves, EveryWorkbookFixtureReadsTheSameSplit) {
  int sheets = 0;
  int split = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(std::string(OMBRIX_FIXTURES_DIR))) {
    if (entry.path().extension() != ".xlsx") {
      continue;
    }
    std::string xml;
    try {
      const ZipArchive archive = ZipArchive::OpenFile(entry.path().string());
      const WorkbookParts parts = LocateWorkbookParts(archive);
      xml = archive.Read(*archive.Find(parts.active_sheet));
    } catch (const RunError&) {
      continue;  // not a workbook this reader opens at all
    }
    ++sheets;
    SCOPED_TRACE(entry.path());
    split += ExpectSameAsOnePass(xml) ? 1 : 0;
  }
  EXPECT_GE(sheets, 30);
  EXPECT_GE(split, 20);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
