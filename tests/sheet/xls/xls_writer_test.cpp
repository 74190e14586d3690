// Writing numbers and grey fills into .xls workbooks, read back by our reader (FreeXL's reading
// is the write-back corpus test's), with positions, storages and shared formulas kept whole.

#include "sheet/xls/xls_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <set>

#include "sheet/edit_workbook.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_entry.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/ole_tree_reader.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/cell_value_printer.h"
#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using namespace xls::testing;  // NOLINT
using xlsx::testing::Contains;
using xlsx::testing::Error321;

using Cell = std::pair<int, int>;  // (row, col) from 1

struct Parsed {
  ByteVec stream;
  xls::WorkbookGlobals globals;
  xls::SheetLayout layout;
  std::unique_ptr<SheetWorkbook> wb;
};

Parsed Parse(const ByteVec& file) {
  Parsed p;
  p.stream = xls::ReadWorkbookStream(file);
  p.globals = xls::ParseGlobals(p.stream);
  CellStore cells;
  xls::ParseSheetCells(p.stream, p.globals, p.globals.active_sheet, cells, &p.layout);
  p.wb = ReadXlsBytes(file, "after.xls");
  return p;
}

// The records of the globals (`sheet` false) or of the active sheet, up to its EOF.
std::vector<xls::BiffRecord> Records(const Parsed& p, bool sheet) {
  std::vector<xls::BiffRecord> out;
  xls::BiffRecordReader reader(p.stream, sheet ? p.layout.bof_offset : 0);
  xls::BiffRecord r;
  while (reader.Next(r) && r.offset <= (sheet ? p.layout.eof_offset : p.globals.eof_offset))
    out.push_back(r);
  return out;
}

// Stream offsets of the globals' XF records, in order.
std::vector<std::uint32_t> XfOffsets(const Parsed& p) {
  std::vector<std::uint32_t> xfs;
  for (const auto& r : Records(p, false))
    if (r.type == 0x00E0)
      xfs.push_back(r.offset);
  return xfs;
}

// The sheet's DIMENSIONS records: first row, one past the last, first column, one past.
std::vector<std::array<std::uint32_t, 4>> Dimensions(const Parsed& p) {
  std::vector<std::array<std::uint32_t, 4>> out;
  for (const auto& r : Records(p, true))
    if (r.type == 0x0200)
      out.push_back({G32(r.body, 0), G32(r.body, 4), G16(r.body, 8), G16(r.body, 10)});
  return out;
}

const xls::CellLocation* Find(const Parsed& p, int row, int col) {
  for (const auto& c : p.layout.cells)
    if (c.row == row && c.col == col)
      return &c;
  return nullptr;
}

// Written cells hold their number, marked-only ones their value; all others are unchanged.
void ExpectOnlyEditsChanged(const Parsed& before, const Parsed& after,
                            const std::vector<CellEdit>& edits) {
  std::set<Cell> edited;
  for (const CellEdit& e : edits) {
    edited.insert({e.row, e.col});
    EXPECT_EQ(after.wb->Cell(e.row, e.col),
              e.value ? CellValue::Number(*e.value) : before.wb->Cell(e.row, e.col))
        << CellName(e.row, e.col);
  }
  std::set<Cell> others;
  for (const auto* p : {&before, &after})
    for (const auto& c : p->layout.cells)
      if (!edited.count({c.row, c.col}))
        others.insert({c.row, c.col});
  for (const auto& [row, col] : others) {
    const auto* a = Find(after, row, col);
    const auto* b = Find(before, row, col);
    EXPECT_EQ(after.wb->Cell(row, col), before.wb->Cell(row, col)) << CellName(row, col);
    EXPECT_EQ(a != nullptr ? a->xf : -1, b != nullptr ? b->xf : -2) << CellName(row, col);
  }
}

// One edit per record kind (FORMULA by result), multi-cell record ends, mark-only, new cells.
std::vector<CellEdit> ChooseEdits(const Parsed& p, std::set<std::string>& kinds) {
  std::vector<CellEdit> edits;
  std::set<std::pair<int, int>> used;
  std::set<std::string> seen;  // record kinds of this fixture
  double v = 0.1;
  auto add = [&](int row, int col, bool value, bool mark) {
    if (used.insert({row, col}).second)
      edits.push_back({row, col, value ? std::optional(v) : std::nullopt, mark});
    v = v * -1.37 + 0.3;
  };
  bool multi_done = false;
  bool mark_only_done = false;
  for (std::size_t i = 0; i < p.layout.cells.size(); ++i) {
    const auto& c = p.layout.cells[i];
    std::string name = std::to_string(c.record_type);
    if (c.record_type == xls::rec::kFormula) {
      const std::size_t b = c.record_offset + 4;
      name += "/" + std::to_string(G16(p.stream, b + 12) == 0xFFFF ? p.stream[b + 6] + 1 : 0);
    }
    if (c.record_type == xls::rec::kMulRk || c.record_type == xls::rec::kMulBlank) {
      std::size_t n = 0;
      while (i + n < p.layout.cells.size() &&
             p.layout.cells[i + n].record_offset == c.record_offset)
        ++n;
      if (n >= 3 && seen.insert(name).second) {
        add(c.row, c.col, true, true);
        add(c.row, c.col + 1, true, false);
        add(c.row, c.col + static_cast<int>(n) - 1, true, false);
        kinds.insert(name + "x3");
        multi_done = true;
      } else if (n >= 2 && !mark_only_done && multi_done) {
        add(c.row, c.col + 1, false, true);  // fill inside a multi-cell record, value kept
        mark_only_done = true;
        kinds.insert("mark-only");
      }
      i += n - 1;
    } else if (seen.insert(name).second) {
      add(c.row, c.col, true, seen.size() % 2 == 0);
      kinds.insert(name);
    }
  }
  // New cells: a gap in an existing row, an empty row, beyond the last row and column.
  std::map<int, std::set<int>> cols;
  int max_row = 0;
  int max_col = 0;
  for (const auto& c : p.layout.cells) {
    cols[c.row].insert(c.col);
    max_row = std::max(max_row, c.row);
    max_col = std::max(max_col, c.col);
  }
  for (const auto& [row, set] : cols) {
    int col = 1;
    while (set.count(col))
      ++col;
    if (col < *set.rbegin()) {
      add(row, col, true, true);
      kinds.insert("new-in-row");
      break;
    }
  }
  for (int row = 1; row < max_row; ++row) {
    if (!cols.count(row)) {
      add(row, 3, true, false);
      add(row, 5, false, true);
      kinds.insert("new-row");
      break;
    }
  }
  add(max_row + 2, max_col + 2, true, true);
  add(max_row + 1, 1, false, true);
  return edits;
}

void ExpectMarkedXf(const Parsed& p, std::uint16_t xf, const std::string& where) {
  const auto xfs = XfOffsets(p);
  ASSERT_LT(xf, xfs.size()) << where;
  const std::size_t b = xfs[xf] + 4;
  EXPECT_EQ(G16(p.stream, b + 4) & 0x04, 0) << where << ": not a cell XF";
  EXPECT_EQ((G16(p.stream, b + 18) >> 7) & 0x7F, 64) << where;
  EXPECT_NE(p.stream[b + 9] & 0x40, 0) << where << ": fill flag";
  const std::uint16_t parent = G16(p.stream, b + 4) >> 4;
  ASSERT_LT(parent, xfs.size()) << where;
  EXPECT_NE(p.stream[xfs[parent] + 4 + 4] & 0x04, 0) << where << ": parent is not a style";
}

// Follows INDEX to DEFCOLWIDTH and each DBCELL, and DBCELL to its ROWs and their first cells.
int WalkIndex(const Parsed& p) {
  const xls::BiffRecord r = Records(p, true).at(1);
  if (r.type != 0x020B)
    return 0;
  const ByteVec& s = p.stream;
  EXPECT_EQ(G16(s, G32(s, r.offset + 4 + 12)), 0x0055) << "DEFCOLWIDTH";
  int rows_checked = 0;
  for (std::size_t i = 0; i < (r.body.size() - 16) / 4; ++i) {
    const std::uint32_t db = G32(s, r.offset + 4 + 16 + 4 * i);
    EXPECT_EQ(G16(s, db), 0x00D7) << "DBCELL " << i;
    if (G16(s, db) != 0x00D7)
      continue;
    const std::uint32_t first_row = db - G32(s, db + 4);
    EXPECT_EQ(G16(s, first_row), 0x0208) << "first ROW of block " << i;
    std::uint32_t cell = first_row + 20;
    for (std::uint32_t k = 0; k < (G16(s, db + 2) - 4u) / 2; ++k) {
      const std::uint32_t row_rec = first_row + 20 * k;
      cell += G16(s, db + 8 + 2 * k);
      // Rows beyond the ROW run, and rows without cells, have no first cell to check.
      if (G16(s, row_rec) != 0x0208 || G16(s, row_rec + 6) == G16(s, row_rec + 8))
        continue;
      EXPECT_EQ(G16(s, cell + 4), G16(s, row_rec + 4)) << "DBCELL " << i << " row " << k;
      ++rows_checked;
    }
  }
  return rows_checked;
}

TEST(XlsWriter, EditsEveryKindOfCellInEveryFixture) {
  std::set<std::string> kinds;
  int dbcell_rows = 0;
  int extsst_buckets = 0;
  for (const std::string& name : XlsFixtures()) {
    SCOPED_TRACE(name);
    const ByteVec file = ReadFile(Fixture(name));
    // With no edits, every stream comes back byte for byte.
    EXPECT_EQ(xls::FirstDifference(xls::ReadCompoundTree(file),
                                   xls::ReadCompoundTree(EditXlsBytes(file, name, {}))),
              std::nullopt);
    const Parsed before = Parse(file);
    const std::vector<CellEdit> edits = ChooseEdits(before, kinds);
    const ByteVec out = EditXlsBytes(file, name, edits);
    const Parsed after = Parse(out);

    ExpectOnlyEditsChanged(before, after, edits);
    // Written numbers in NUMBER records, marked cells in grey clones of their format.
    std::set<std::uint16_t> clones;
    for (const CellEdit& e : edits) {
      const std::string where = CellName(e.row, e.col);
      const auto* loc = Find(after, e.row, e.col);
      ASSERT_NE(loc, nullptr) << where;
      if (e.value) {
        EXPECT_EQ(loc->record_type, xls::rec::kNumber) << where;
      }
      if (e.mark) {
        ExpectMarkedXf(after, loc->xf, where);
        clones.insert(loc->xf);
      } else if (const auto* old = Find(before, e.row, e.col)) {
        EXPECT_EQ(loc->xf, old->xf) << where;
      }
    }
    EXPECT_EQ(XfOffsets(after).size(), XfOffsets(before).size() + clones.size());

    // EXTSST buckets still point at the same string bytes.
    auto extsst = [](const Parsed& p) {
      std::vector<std::uint32_t> pos;
      for (const auto& x : Records(p, false))
        for (std::size_t b = 2; x.type == 0x00FF && b + 8 <= x.body.size(); b += 8)
          pos.push_back(G32(p.stream, x.offset + 4 + b));
      return pos;
    };
    const auto e0 = extsst(before);
    const auto e1 = extsst(after);
    ASSERT_EQ(e0.size(), e1.size());
    for (std::size_t i = 0; i < e0.size(); ++i) {
      EXPECT_EQ(0, std::memcmp(&before.stream[e0[i]], &after.stream[e1[i]], 8)) << "bucket " << i;
      if (!clones.empty()) {
        EXPECT_NE(e0[i], e1[i]);
      }
    }
    extsst_buckets += static_cast<int>(e0.size());
    dbcell_rows += WalkIndex(after);
  }
  for (const char* k : {"515", "638", "189x3", "253", "190x3", "517", "6/0", "6/1", "6/2", "6/3",
                        "mark-only", "new-in-row", "new-row"}) {
    EXPECT_TRUE(kinds.count(k)) << "no fixture exercised " << k;
  }
  EXPECT_GT(dbcell_rows, 400);
  EXPECT_GT(extsst_buckets, 100);
}

// A MULRK split in the middle, a MULBLANK at its first cell, a FORMULA losing its STRING; the
// stored used range (rows 4-5, columns C-D) lies below and right of the written cells.
TEST(XlsWriter, SplitsMultiCellRecordsAndDropsTheFormulasString) {
  Le mulrk;
  mulrk.u16(0).u16(0);
  for (std::uint32_t v : {2u, 3u, 4u})
    mulrk.u16(15).u32(v << 2 | 2);
  mulrk.u16(2);
  const ByteVec cells = Le().bytes(Record(0x0200, Le().u32(4).u32(6).u16(2).u16(4).u16(0).b))
                            .bytes(Record(0x00BD, mulrk.b))
                            .bytes(Record(0x00BE, Le().u16(1).u16(0).u16(15).u16(15).u16(1).b))
                            .bytes(Formula(2, 0, SpecialResult(0, 0)))
                            .bytes(Record(0x0207, Le().u16(2).u8(0).latin1("ab").b))
                            .bytes(Blank(3, 0))
                            .bytes(Label(4, 0, "text"))
                            .bytes(BoolErr(4, 1, 1, false))
                            .bytes(Label(4, 2, "kept"))
                            .b;
  const ByteVec file = CompoundFile(WorkbookStream(XfTable(), {{"s", cells}}));
  const std::vector<CellEdit> edits = {{1, 2, 9.5, false}, {2, 1, 7.25, false},
                                       {3, 1, 1.5, false}, {4, 1, -2.0, false},
                                       {5, 1, 0.75, true}, {5, 2, 3.0, false}};
  const Parsed after = Parse(EditXlsBytes(file, "crafted.xls", edits));
  std::vector<std::pair<std::uint16_t, int>> types;
  for (const auto& c : after.layout.cells)
    types.push_back({c.record_type, c.col});
  const std::vector<std::pair<std::uint16_t, int>> want = {
      {xls::rec::kRk, 1},     {xls::rec::kNumber, 2}, {xls::rec::kRk, 3},
      {xls::rec::kNumber, 1}, {xls::rec::kBlank, 2},  {xls::rec::kNumber, 1},
      {xls::rec::kNumber, 1}, {xls::rec::kNumber, 1}, {xls::rec::kNumber, 2},
      {xls::rec::kLabel, 3}};
  EXPECT_EQ(types, want);
  // The written cells, then the MULRK's untouched ends and the label beside the written ones.
  EXPECT_EQ(Cells(*after.wb, "B1 A2 A3 A4 A5 B5 A1 C1 C5"),
            "Number(9.5) Number(7.25) Number(1.5) Number(-2) Number(0.75) Number(3) Number(2) "
            "Number(4) Text(\"kept\")");
  ExpectMarkedXf(after, Find(after, 5, 1)->xf, "A5");
  for (const auto& r : Records(after, true))
    EXPECT_NE(r.type, xls::rec::kString);
  EXPECT_EQ(Dimensions(after), (std::vector<std::array<std::uint32_t, 4>>{{0, 6, 0, 4}}));
}

TEST(XlsWriter, AddsARowRecordForANewRow) {
  const std::string name = "rows400.excel-layout.xls";
  const std::vector<CellEdit> edits = {{402, 3, 1.25, true}, {402, 60, 2.5, false}};
  const Parsed after = Parse(EditXlsBytes(ReadFile(Fixture(name)), name, edits));
  std::vector<std::pair<int, int>> new_row;  // the ROW's first and one-past-last column
  for (const auto& r : Records(after, true))
    if (r.type == 0x0208 && G16(r.body, 0) == 401)
      new_row.push_back({G16(r.body, 2), G16(r.body, 4)});
  EXPECT_EQ(new_row, (std::vector<std::pair<int, int>>{{2, 60}}));
  EXPECT_EQ(Dimensions(after), (std::vector<std::array<std::uint32_t, 4>>{{0, 402, 0, 60}}));
}

// Each refused in one line naming the file.
TEST(XlsWriter, RefusesWhatCannotBeStored) {
  const ByteVec mesh = ReadFile(Fixture("mesh_small.lo.xls"));
  const std::vector<CellEdit> outside = {{65537, 1, 1.0, false}};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    ByteVec file;
    std::vector<CellEdit> edits;
    const char* says;  // after the file's name
  } cases[] = {
      {mesh, {{6, 7, nan, false}}, "\" に書き込めません: セル G6 "},
      {mesh, {{6, 7, inf, false}}, "\" に書き込めません: セル G6 "},
      {mesh, outside, "\" に書き込めません: セル (65537, 1) "},
      {ReadFile(Fixture("broken_truncated.xls")), outside, "\" は壊れています"},
      {ReadFile(Fixture("realworld/phpspreadsheet__chartsheet.xls")),
       {{1, 1, 2.0, false}},
       "\" に書き込めません: アクティブなシート "},
  };
  for (const auto& c : cases) {
    const std::string why = Error321([&] { EditXlsBytes(c.file, "out.xls", c.edits); });
    EXPECT_TRUE(Contains(why, "\"out.xls" + std::string(c.says)) && !Contains(why, "\n")) << why;
  }
}

// The tree without the Workbook stream's bytes, which the write-back changes.
xls::OleEntry Unpatched(xls::OleEntry tree) {
  xls::FindChild(tree, "Workbook")->data.clear();
  return tree;
}

// Real workbooks with VBA projects, embedded objects or custom XML keep every other stream.
TEST(XlsWriterStorages, RealWorkbooksKeepTheirMacrosAndObjects) {
  int written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Fixture("storages"))) {
    if (entry.path().extension() != ".xls")
      continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const ByteVec file = ReadFile(entry.path().string());
    ByteVec out = EditWorkbookBytes(file, name, {{{300, 12, 1234.5, true}}});
    ++written;
    // The new Workbook stream is the one stored (what else lands there the corpus test checks).
    EXPECT_EQ(ReadXlsBytes(out, name)->Cell(300, 12), CellValue::Number(1234.5));
    EXPECT_EQ(xls::FirstDifference(Unpatched(xls::ReadCompoundTree(file)),
                                   Unpatched(xls::ReadCompoundTree(out))),
              std::nullopt);

    // Read from the bytes, not through libgsf: Excel's class ID on the root, and the Workbook
    // first in the file's sectors (some readers misread a workbook stream that is not first).
    OleView ole{out};
    const std::size_t root = ole.sector_offset(ole.u32(0x30));
    EXPECT_EQ(ole.u32(root + 0x50), 0x00020820u);
    EXPECT_EQ(ole.u32(root + 0x5C), 0x46000000u);
    EXPECT_EQ(ole.u32(ole.dirent_offset("Workbook") + 0x74), 0u);
  }
  EXPECT_EQ(written, 6);
}

// What the compound-file writer cannot reproduce is caught by the read-back check: a stream
// with a class ID (libgsf writes none) makes the write-back refuse, naming the stream.
TEST(XlsWriterStorages, WhatDoesNotReadBackTheSameIsRefused) {
  xls::OleEntry tree =
      xls::ReadCompoundTree(ReadFile(Fixture("storages/calamine__optional_records.xls")));
  xls::FindChild(*xls::FindChild(*xls::FindChild(tree, "_VBA_PROJECT_CUR"), "VBA"), "dir")
      ->class_id.fill(1);
  // Written by hand with the class ID in place: libgsf's writer would drop it.
  ByteVec file = xls::WriteCompoundFile(tree);
  OleView ole{file};
  const std::size_t dir = ole.dirent_offset("dir");
  for (std::size_t i = 0; i < 16; ++i)
    file[dir + 0x50 + i] = 1;
  ASSERT_EQ(xls::FirstDifference(xls::ReadCompoundTree(file), tree), std::nullopt);

  const std::string d = Error321([&] {
    EditWorkbookBytes(file, "objects.xls", {{{7, 8, 42.0, true}}});
  });
  EXPECT_TRUE(Contains(d, "\"_VBA_PROJECT_CUR/VBA/dir\" が元と一致しません")) << d;
  EXPECT_TRUE(Contains(d, "元のファイルはそのままです")) << d;
}

// A FORMULA whose tokens are one PtgExp (or PtgTbl) naming (to_row, to_col), all from 0.
ByteVec Pointer(int row, int col, int to_row, int to_col, bool table = false) {
  Le b;
  b.u16(row).u16(col).u16(15).f64(10.0 * row + col).u16(table ? 0 : 0x0008).u32(0);
  b.u16(5).u8(table ? 0x02 : 0x01).u16(to_row).u16(to_col);
  return Record(0x0006, b.b);
}
// A SHRFMLA, ARRAY or TABLE record over rows r0..r1 and columns c0..c1, from 0.
ByteVec Group(std::uint16_t type, int r0, int r1, int c0, int c1) {
  Le b;
  b.u16(r0).u16(r1).u8(c0).u8(c1);
  if (type == 0x04BC)  // the cell on the left (PtgRefN, row +0, column -1) plus 1
    b.u8(0).u8((r1 - r0 + 1) * (c1 - c0 + 1)).u16(9).bytes({0x2C, 0, 0, 0xFF, 0xC0, 0x1E, 1, 0, 3});
  else if (type == 0x0221)
    b.u16(0).u32(0).u16(3).u8(0x1E).u16(5);  // {=5}
  else
    b.bytes(ByteVec(10, 0));
  return Record(type, b.b);
}

// A1 = 1; B2:D4 one shared formula anchored at B2; E2:E3 an array formula; F2 a one-cell
// array formula; G2:G3 a data table. Records in row order, as spreadsheet programs write.
ByteVec Workbook() {
  Le cells;
  cells.bytes(Number(0, 0, 1));
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 3; ++c)
      cells.bytes(Pointer(r, c, 1, 1)).bytes(r + c == 2 ? Group(0x04BC, 1, 3, 1, 3) : ByteVec{});
    if (r == 1) {
      cells.bytes(Pointer(1, 4, 1, 4)).bytes(Group(0x0221, 1, 2, 4, 4));
      cells.bytes(Pointer(1, 5, 1, 5)).bytes(Group(0x0221, 1, 1, 5, 5));
      cells.bytes(Pointer(1, 6, 1, 6, true)).bytes(Group(0x0236, 1, 2, 6, 6));
    } else if (r == 2) {
      cells.bytes(Pointer(2, 4, 1, 4)).bytes(Pointer(2, 6, 1, 6, true));
    }
  }
  return CompoundFile(WorkbookStream(XfTable(), {{"s", cells.b}}));
}

struct Block {
  std::uint16_t type;
  int r0, r1, c0, c1;      // from 1
  std::string tokens;      // raw
  bool after_own_formula;  // right after the FORMULA record of its top-left cell
};

struct Dump {
  std::map<Cell, std::string> formulas;  // the tokens each formula cell evaluates
  std::vector<Block> blocks;
};

// Every formula of the first sheet, each PtgExp resolved as other readers do: by the block
// whose range starts at the cell it names. Blocks in record order.
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
      const Cell anchor{G16(b, 0) + 1, b[4] + 1};
      d.blocks.push_back({r.type, anchor.first, G16(b, 2) + 1, anchor.second, b[5] + 1,
                          std::string(b.begin() + from, b.end()), previous_formula == anchor});
    }
    previous_formula = {0, 0};
  }
  for (const auto& [at, tokens] : raw) {
    std::string& out = d.formulas[at];
    out = "own " + std::string(tokens.begin(), tokens.end());
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

// Writes `edits`: cells not written keep formula and value, each block follows its anchor.
Dump WriteAndCompare(const std::vector<CellEdit>& edits, const ByteVec& before_file = Workbook()) {
  const ByteVec after_file = EditXlsBytes(before_file, "shared.xls", edits);
  ExpectOnlyEditsChanged(Parse(before_file), Parse(after_file), edits);
  const Dump before = Formulas(before_file);
  const Dump after = Formulas(after_file);
  for (const auto& [at, formula] : before.formulas) {
    const bool written = std::any_of(edits.begin(), edits.end(), [&](const CellEdit& e) {
      return e.value && Cell{e.row, e.col} == at;
    });
    const auto now = after.formulas.find(at);
    if (written) {
      EXPECT_TRUE(now == after.formulas.end()) << CellName(at.first, at.second);
    } else {
      EXPECT_FALSE(formula.starts_with("unresolved")) << CellName(at.first, at.second);
      EXPECT_EQ(now != after.formulas.end() ? now->second : "missing", formula)
          << CellName(at.first, at.second);
    }
  }
  for (const Block& b : after.blocks)
    EXPECT_TRUE(b.after_own_formula) << CellName(b.r0, b.c0);
  return after;
}

TEST(XlsWriterFormulas, OverwrittenAnchorMovesTheSharedFormulaOn) {
  // The anchor alone: the rest of its row, and the rows below.
  Dump after = WriteAndCompare({{2, 2, 7.0, false}});
  EXPECT_EQ(Ranges(after, 0x04BC), (std::vector<std::string>{"C2:D2", "B3:D4"}));
  // With a hole in the middle and the new anchor marked grey.
  after = WriteAndCompare({{2, 2, 7.0, false}, {3, 3, 8.0, false}, {2, 3, std::nullopt, true}});
  EXPECT_EQ(Ranges(after, 0x04BC), (std::vector<std::string>{"C2:D2", "B3:B3", "D3:D3", "B4:D4"}));
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
    const std::string why = Error321([&] {
      EditXlsBytes(
          file, "array.xls",
          std::vector<CellEdit>{{1, 1, 2.0, false}, {c.cell.first, c.cell.second, 1.0, false}});
    });
    EXPECT_TRUE(Contains(why, "array.xls") && Contains(why, "セル " + name + " ") &&
                Contains(why, c.range) && !Contains(why, "\n"))
        << why;
  }
  // A mark changes only the format, which an array allows; a one-cell array gives way whole.
  const Dump after = WriteAndCompare({{3, 5, std::nullopt, true}, {2, 6, 4.5, false}});
  EXPECT_EQ(Ranges(after, 0x0221), std::vector<std::string>{"E2:E3"});
  EXPECT_EQ(Ranges(after, 0x0236), std::vector<std::string>{"G2:G3"});
}

// Excel's workbooks (first sheet made active): every shared-formula anchor overwritten at
// once, and one at a time with a grey mark.
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
