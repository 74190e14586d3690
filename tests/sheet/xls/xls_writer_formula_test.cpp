// The .xls writer around formulas that span cells: a shared formula whose anchor is
// overwritten moves on to the cells that remain (each keeps the formula it had), cells of a
// multi-cell array formula or data table are refused. Formulas are compared through a dump
// that resolves every PtgExp the way other readers do: by the SHRFMLA or ARRAY record whose
// range starts at the cell the PtgExp names.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/run_error.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/shared_formula_pieces.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xls/xls_writer.h"
#include "sheet/xlsx/cell_value_printer.h"
#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using namespace xls::testing;  // NOLINT

using Cell = std::pair<int, int>;  // (row, col) from 1

template <typename B>
int G16(const B& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8);
}

// Shared tokens: the cell on the left (PtgRefN, row +0, column -1) plus 1.
const ByteVec kSharedTokens = {0x2C, 0x00, 0x00, 0xFF, 0xC0, 0x1E, 0x01, 0x00, 0x03};

// A FORMULA whose tokens are one PtgExp (or PtgTbl) naming (to_row, to_col), all from 0.
ByteVec Pointer(int row, int col, int to_row, int to_col, bool table = false) {
  Le b;
  b.u16(row).u16(col).u16(15).f64(10.0 * row + col).u16(table ? 0 : 0x0008).u32(0);
  b.u16(5).u8(table ? 0x02 : 0x01).u16(to_row).u16(to_col);
  return Record(0x0006, b.b);
}
Le Range(int r0, int r1, int c0, int c1) {
  return std::move(Le().u16(r0).u16(r1).u8(c0).u8(c1));
}
ByteVec SharedFormula(int r0, int r1, int c0, int c1) {
  Le b = Range(r0, r1, c0, c1);
  b.u8(0).u8((r1 - r0 + 1) * (c1 - c0 + 1)).u16(kSharedTokens.size()).bytes(kSharedTokens);
  return Record(0x04BC, b.b);
}
ByteVec ArrayFormula(int r0, int r1, int c0, int c1) {
  Le b = Range(r0, r1, c0, c1);
  b.u16(0).u32(0).u16(3).u8(0x1E).u16(5);  // {=5}
  return Record(0x0221, b.b);
}
ByteVec DataTable(int r0, int r1, int c0, int c1) {
  Le b = Range(r0, r1, c0, c1);
  b.u16(0).u16(0).u16(0).u16(0).u16(0);
  return Record(0x0236, b.b);
}

// Cutting the cells left of a shared formula into hole-free rectangles.
using CellList = std::vector<std::pair<int, int>>;

std::string Text(const std::vector<xls::SharedPiece>& pieces) {
  std::string s;
  for (const xls::SharedPiece& p : pieces) {
    s += std::to_string(p.first_row) + "," + std::to_string(p.first_col) + "-" +
         std::to_string(p.last_row) + "," + std::to_string(p.last_col) + " ";
  }
  return s;
}

CellList Rect(int r0, int r1, int c0, int c1, std::set<std::pair<int, int>> without = {}) {
  CellList cells;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      if (!without.count({r, c}))
        cells.emplace_back(r, c);
  return cells;
}

TEST(SharedPieces, CutsAroundTheRemovedCells) {
  // A hole at the corner and holes inside are OverwrittenAnchorMovesTheSharedFormulaOn's.
  EXPECT_EQ(Text(xls::SharedPieces({})), "");
  EXPECT_EQ(Text(xls::SharedPieces(Rect(1, 5, 3, 3, {{1, 3}}))), "2,3-5,3 ");  // a column
  EXPECT_EQ(Text(xls::SharedPieces(Rect(7, 7, 1, 9, {{7, 1}}))), "7,2-7,9 ");  // a row
  // Rows apart stay apart.
  EXPECT_EQ(Text(xls::SharedPieces({{1, 1}, {1, 2}, {3, 1}, {3, 2}})), "1,1-1,2 3,1-3,2 ");
  // Order and duplicates of the input do not matter.
  EXPECT_EQ(Text(xls::SharedPieces({{3, 2}, {2, 3}, {3, 3}, {2, 3}, {2, 2}, {3, 2}})), "2,2-3,3 ");
}

TEST(SharedPieces, CoverEveryCellOnceWithNoHole) {
  // A scattered pattern: every cell of every piece is in the input, and every input cell in
  // exactly one piece; each piece's top-left cell is one of the cells.
  CellList cells;
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 9; ++c)
      if ((r * 7 + c * 3) % 5 != 0 && (r + c) % 11 != 0)
        cells.emplace_back(r, c);
  const auto pieces = xls::SharedPieces(cells);
  std::multiset<std::pair<int, int>> covered;
  for (const xls::SharedPiece& p : pieces)
    for (int r = p.first_row; r <= p.last_row; ++r)
      for (int c = p.first_col; c <= p.last_col; ++c)
        covered.insert({r, c});
  const std::multiset<std::pair<int, int>> want(cells.begin(), cells.end());
  EXPECT_EQ(covered, want);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const auto& a = pieces[i - 1];
    const auto& b = pieces[i];
    EXPECT_TRUE(a.first_row < b.first_row ||
                (a.first_row == b.first_row && a.first_col < b.first_col));
  }
}

// A1 = 1; B2:D4 one shared formula anchored at B2; E2:E3 an array formula; F2 a one-cell
// array formula; G2:G3 a data table. Records in row order, as spreadsheet programs write.
ByteVec Workbook() {
  Le cells;
  cells.bytes(Number(0, 0, 1));
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 3; ++c) {
      cells.bytes(Pointer(r, c, 1, 1));
      if (r == 1 && c == 1)
        cells.bytes(SharedFormula(1, 3, 1, 3));
    }
    if (r <= 2) {
      cells.bytes(Pointer(r, 4, 1, 4));
      if (r == 1)
        cells.bytes(ArrayFormula(1, 2, 4, 4));
    }
    if (r == 1)
      cells.bytes(Pointer(1, 5, 1, 5)).bytes(ArrayFormula(1, 1, 5, 5));
    if (r <= 2) {
      cells.bytes(Pointer(r, 6, 1, 6, true));
      if (r == 1)
        cells.bytes(DataTable(1, 2, 6, 6));
    }
  }
  return CompoundFile(WorkbookStream(XfTable(), {{"s", cells.b}}));
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < n; ++i)
    s += std::string{digits[p[i] >> 4], digits[p[i] & 15]};
  return s;
}

struct Block {
  std::uint16_t type;
  int r0, r1, c0, c1;  // from 1
  std::string tokens;
  bool after_own_formula;  // right after the FORMULA record of its top-left cell
};

struct Dump {
  std::map<Cell, std::string> formulas;  // the tokens each formula cell evaluates
  std::vector<Block> blocks;
};

// Every formula of the first sheet, PtgExp resolved; blocks in record order.
Dump Formulas(const ByteVec& file) {
  const ByteVec stream = xls::ReadWorkbookStream(file);
  const xls::WorkbookGlobals globals = xls::ParseGlobals(stream);
  xls::BiffRecordReader reader(stream, globals.sheets.at(0).bof_offset);
  xls::BiffRecord r;
  reader.Next(r);
  Dump d;
  std::map<Cell, ByteVec> raw;
  Cell previous_formula{0, 0};
  while (reader.Next(r) && r.type != 0x000A) {
    const auto& b = r.body;
    if (r.type == 0x0006) {
      const Cell at{G16(b, 0) + 1, G16(b, 2) + 1};
      raw[at] = ByteVec(b.begin() + 22, b.begin() + 22 + G16(b, 20));
      previous_formula = at;
      continue;
    }
    if (r.type == 0x04BC || r.type == 0x0221 || r.type == 0x0236) {
      const std::size_t from = r.type == 0x04BC ? 10 : r.type == 0x0221 ? 14 : b.size();
      Block block{r.type,   G16(b, 0) + 1, G16(b, 2) + 1,
                  b[4] + 1, b[5] + 1,      Hex(b.data() + from, b.size() - from),
                  false};
      block.after_own_formula = previous_formula == Cell{block.r0, block.c0};
      d.blocks.push_back(block);
    }
    previous_formula = {0, 0};
  }
  for (const auto& [at, tokens] : raw) {
    std::string& out = d.formulas[at];
    out = "own " + Hex(tokens.data(), tokens.size());
    if (tokens.size() != 5 || (tokens[0] != 0x01 && tokens[0] != 0x02))
      continue;
    const Cell target{G16(tokens, 1) + 1, G16(tokens, 3) + 1};
    out = "unresolved";
    for (const Block& block : d.blocks) {
      const bool holds = block.r0 <= at.first && at.first <= block.r1 && block.c0 <= at.second &&
                         at.second <= block.c1;
      if (holds && Cell{block.r0, block.c0} == target &&
          (block.type == 0x0236) == (tokens[0] == 0x02))
        out = std::to_string(block.type) + " " + block.tokens;
    }
  }
  return d;
}

std::vector<std::string> Ranges(const Dump& d, std::uint16_t type) {
  std::vector<std::string> out;
  for (const Block& b : d.blocks)
    if (b.type == type)
      out.push_back(CellName(b.r0, b.c0) + ":" + CellName(b.r1, b.c1));
  return out;
}

// Writes `edits`; every cell not written keeps its formula and value, every block sits right
// after its anchor's FORMULA. Returns the dump after the write.
Dump WriteAndCompare(const std::vector<CellEdit>& edits, const ByteVec& before_file = Workbook()) {
  const ByteVec after_file = EditXlsBytes(before_file, "shared.xls", edits);
  const Dump before = Formulas(before_file);
  const Dump after = Formulas(after_file);
  const auto read_before = ReadXlsBytes(before_file, "before.xls");
  const auto read_after = ReadXlsBytes(after_file, "after.xls");
  std::map<Cell, bool> written;
  for (const CellEdit& e : edits)
    written[{e.row, e.col}] = written[{e.row, e.col}] || e.value.has_value();
  for (const auto& [at, formula] : before.formulas) {
    const std::string name = CellName(at.first, at.second);
    if (written[at]) {
      EXPECT_EQ(after.formulas.count(at), 0u) << name;
      continue;
    }
    EXPECT_NE(formula.rfind("unresolved", 0), 0u) << name;
    EXPECT_EQ(after.formulas.count(at) == 1 ? after.formulas.at(at) : "missing", formula) << name;
    EXPECT_EQ(read_after->Cell(at.first, at.second), read_before->Cell(at.first, at.second))
        << name;
  }
  for (const CellEdit& e : edits) {
    if (e.value) {
      EXPECT_EQ(read_after->Cell(e.row, e.col), CellValue::Number(*e.value));
    }
  }
  for (const Block& b : after.blocks)
    EXPECT_TRUE(b.after_own_formula) << CellName(b.r0, b.c0);
  // Every cell not edited keeps its format.
  const auto formats = [](const ByteVec& file) {
    const ByteVec stream = xls::ReadWorkbookStream(file);
    const xls::WorkbookGlobals globals = xls::ParseGlobals(stream);
    CellStore cells;
    xls::SheetLayout layout;
    xls::ParseSheetCells(stream, globals, globals.active_sheet, cells, &layout);
    std::map<Cell, int> xf;
    for (const xls::CellLocation& c : layout.cells)
      xf[{c.row, c.col}] = c.xf;
    return xf;
  };
  const std::map<Cell, int> xf_before = formats(before_file);
  const std::map<Cell, int> xf_after = formats(after_file);
  std::set<Cell> edited;
  for (const CellEdit& e : edits)
    edited.insert({e.row, e.col});
  for (const auto& [at, xf] : xf_before) {
    if (!edited.count(at)) {
      EXPECT_EQ(xf_after.count(at) == 1 ? xf_after.at(at) : -1, xf)
          << CellName(at.first, at.second);
    }
  }
  return after;
}

TEST(XlsWriterFormulas, OverwrittenAnchorMovesTheSharedFormulaOn) {
  const Dump before = Formulas(Workbook());
  EXPECT_EQ(Ranges(before, 0x04BC), std::vector<std::string>{"B2:D4"});
  // The anchor alone: the rest of its row, and the rows below.
  Dump after = WriteAndCompare({{2, 2, 7.0, false}});
  EXPECT_EQ(Ranges(after, 0x04BC), (std::vector<std::string>{"C2:D2", "B3:D4"}));
  // With a hole in the middle and the new anchor marked grey.
  after = WriteAndCompare({{2, 2, 7.0, false}, {3, 3, 8.0, false}, {2, 3, std::nullopt, true}});
  EXPECT_EQ(Ranges(after, 0x04BC), (std::vector<std::string>{"C2:D2", "B3:B3", "D3:D3", "B4:D4"}));
  // A whole column of the block gone: the remaining rows merge again.
  after = WriteAndCompare({{2, 2, 1.0, false}, {3, 2, 2.0, false}, {4, 2, 3.0, false}});
  EXPECT_EQ(Ranges(after, 0x04BC), std::vector<std::string>{"C2:D4"});
  // Every cell written: nothing is left to share.
  std::vector<CellEdit> all;
  for (int r = 2; r <= 4; ++r)
    for (int c = 2; c <= 4; ++c)
      all.push_back({r, c, r * 10.0 + c, false});
  EXPECT_TRUE(Ranges(WriteAndCompare(all), 0x04BC).empty());
  // Another cell of the range, or a mark on the anchor: the shared formula stays as it was.
  EXPECT_EQ(Ranges(WriteAndCompare({{3, 3, 5.0, false}}), 0x04BC),
            std::vector<std::string>{"B2:D4"});
  EXPECT_EQ(Ranges(WriteAndCompare({{2, 2, std::nullopt, true}}), 0x04BC),
            std::vector<std::string>{"B2:D4"});
}

TEST(XlsWriterFormulas, RefusesPartOfAnArrayOrADataTable) {
  const ByteVec file = Workbook();
  const struct {
    Cell cell;
    const char* range;
  } refused[] = {{{2, 5}, "E2:E3"}, {{3, 5}, "E2:E3"}, {{2, 7}, "G2:G3"}, {{3, 7}, "G2:G3"}};
  for (const auto& c : refused) {
    const std::string name = CellName(c.cell.first, c.cell.second);
    const std::string why = xlsx::testing::Error321([&] {
      EditXlsBytes(
          file, "array.xls",
          std::vector<CellEdit>{{1, 1, 2.0, false}, {c.cell.first, c.cell.second, 1.0, false}});
    });
    EXPECT_NE(why.find("array.xls"), std::string::npos) << why;
    EXPECT_NE(why.find("セル " + name + " "), std::string::npos) << why;
    EXPECT_NE(why.find(c.range), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
  }
  // A mark changes only the format, which an array allows; a one-cell array gives way whole.
  const Dump after = WriteAndCompare({{3, 5, std::nullopt, true}, {2, 6, 4.5, false}});
  EXPECT_EQ(Ranges(after, 0x0221), std::vector<std::string>{"E2:E3"});
  EXPECT_EQ(Ranges(after, 0x0236), std::vector<std::string>{"G2:G3"});
}

// Workbooks saved by Excel, their Workbook stream alone in a new compound file and the first
// sheet made the active tab: every anchor of a shared formula overwritten at once, and one
// at a time with a grey mark.
TEST(XlsWriterFormulas, ExcelsSharedFormulasMoveOn) {
  for (const char* name :
       {"realworld/phpspreadsheet__chartsheet.xls", "realworld/phpspreadsheet__pr607.sum_data.xls",
        "realworld/calamine__optional_records.xls"}) {
    SCOPED_TRACE(name);
    ByteVec stream = xls::ReadWorkbookStream(ReadFile(Fixture(name)));
    xls::BiffRecordReader reader(stream, 0);
    xls::BiffRecord r;
    while (reader.Next(r) && r.type != 0x003D) {
    }
    ASSERT_EQ(r.type, 0x003D);  // WINDOW1: its itabCur
    stream[r.offset + 4 + 10] = 0;
    stream[r.offset + 4 + 11] = 0;
    const ByteVec file = CompoundFile(stream);
    const Dump before = Formulas(file);
    std::vector<CellEdit> anchors;
    for (const Block& b : before.blocks) {
      if (b.type == 0x04BC)
        anchors.push_back({b.r0, b.c0, b.r0 * 1000.0 + b.c0, false});
    }
    ASSERT_FALSE(anchors.empty());
    const Dump all = WriteAndCompare(anchors, file);
    EXPECT_GT(all.blocks.size(), 0u);
    for (const CellEdit& anchor : anchors)
      WriteAndCompare({anchor, {anchor.row + 1, anchor.col, std::nullopt, true}}, file);
  }
}

}  // namespace
}  // namespace ombrix::sheet
