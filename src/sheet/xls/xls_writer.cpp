#include "sheet/xls/xls_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

#include "model/run_error.h"
#include "platform/workbook.h"
#include "sheet/cell_store.h"
#include "sheet/written_cells_check.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_entry.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/ole_tree_reader.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/shared_formula_pieces.h"
#include "sheet/xls/xf_checksum.h"
#include "sheet/xls/xls_format_error.h"

namespace ombrix::sheet {

namespace {

using xls::Bytes;
using ByteVec = std::vector<std::uint8_t>;
namespace rec = xls::rec;

constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kXfCrc = 0x087C;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::size_t kRowRecordSize = 20;  // header + 16-byte body

void Put16(ByteVec& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(ByteVec& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v);
  Put16(b, at + 2, v >> 16);
}
std::uint16_t Get16(const ByteVec& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Get32(const ByteVec& b, std::size_t at) {
  return Get16(b, at) | (static_cast<std::uint32_t>(Get16(b, at + 2)) << 16);
}
void Append16(ByteVec& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(ByteVec& b, std::uint32_t v) {
  Append16(b, v);
  Append16(b, v >> 16);
}
void AppendHeader(ByteVec& b, std::uint16_t type, std::size_t length) {
  Append16(b, type);
  Append16(b, static_cast<std::uint32_t>(length));
}

void AppendNumber(ByteVec& out, int row, int col, std::uint16_t xf, double value) {
  AppendHeader(out, rec::kNumber, 14);
  Append16(out, static_cast<std::uint32_t>(row - 1));
  Append16(out, static_cast<std::uint32_t>(col - 1));
  Append16(out, xf);
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Append32(out, static_cast<std::uint32_t>(bits));
  Append32(out, static_cast<std::uint32_t>(bits >> 32));
}

void AppendBlank(ByteVec& out, int row, int col, std::uint16_t xf) {
  AppendHeader(out, rec::kBlank, 6);
  Append16(out, static_cast<std::uint32_t>(row - 1));
  Append16(out, static_cast<std::uint32_t>(col - 1));
  Append16(out, xf);
}

// One edit per cell, the later of duplicates winning for the value, marks accumulating.
struct Edit {
  int row;
  int col;
  std::optional<double> value;
  bool mark;
};

// A cell record with the records that belong to it (a formula's STRING), or any other record.
struct Unit {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  std::uint16_t type = 0;
  int row = 0;  // from 1; 0 for records that are not cells or ROW
  int first_col = 0;
  int last_col = 0;
  bool anchors_shared = false;  // followed by SHRFMLA, ARRAY or TABLE
  // A FORMULA: where its own record ends (CONTINUEs included), and the SHRFMLA, ARRAY or
  // TABLE record after it (0 when none).
  std::uint32_t formula_end = 0;
  std::uint32_t follower = 0;
  std::uint32_t follower_end = 0;
  std::uint16_t follower_type = 0;
  // A FORMULA whose tokens are one PtgExp (or PtgTbl): the cell of the shared formula, array
  // or data table it stands for (from 1; 0 when none).
  int exp_row = 0;
  int exp_col = 0;
  bool exp_table = false;
};

// The range of an array formula, a data table or a shared formula.
struct FormulaBlock {
  std::uint16_t type = 0;  // ARRAY, TABLE or SHRFMLA
  int first_row = 0;       // from 1
  int last_row = 0;
  int first_col = 0;
  int last_col = 0;
  bool Holds(int row, int col) const {
    return first_row <= row && row <= last_row && first_col <= col && col <= last_col;
  }
  bool OneCell() const { return first_row == last_row && first_col == last_col; }
  std::string Name() const {
    return CellName(first_row, first_col) + ":" + CellName(last_row, last_col);
  }
};

class Patcher {
 public:
  Patcher(const ByteVec& stream, const xls::WorkbookGlobals& globals,
          std::span<const CellEdit> edits)
      : in_(stream), globals_(globals) {
    for (const CellEdit& e : edits) {
      if (e.row < 1 || e.row > 65536 || e.col < 1 || e.col > 256) {
        xls::ThrowUnsupported("セル (" + std::to_string(e.row) + ", " + std::to_string(e.col) +
                              ") は .xls のシートの範囲 (65536 行 × 256 列) の外です");
      }
      if (e.value && !std::isfinite(*e.value)) {
        xls::ThrowUnsupported("セル " + CellName(e.row, e.col) +
                              " の値が有限の数ではないため書き込めません");
      }
    }
    for (const CellEdit& e : edits) {
      edits_.push_back({e.row, e.col, e.value, e.mark});
    }
    std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
      return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    std::vector<Edit> merged;
    for (const Edit& e : edits_) {
      if (!merged.empty() && merged.back().row == e.row && merged.back().col == e.col) {
        if (e.value) {
          merged.back().value = e.value;
        }
        merged.back().mark = merged.back().mark || e.mark;
      } else {
        merged.push_back(e);
      }
    }
    edits_ = std::move(merged);
  }

  ByteVec Run() {
    const xls::SheetEntry& sheet = globals_.sheets[globals_.active_sheet];
    // The globals are copied up to the sheet and the sheet after them; a sheet that starts
    // inside the globals would be written twice over itself.
    if (sheet.bof_offset <= globals_.eof_offset) {
      xls::ThrowBroken("シート \"" + sheet.name + "\" の始まり (位置 " +
                       std::to_string(sheet.bof_offset) + ") がブック全体のレコードの中にあります");
    }
    ScanSheet(sheet.bof_offset);
    PlanEdits();
    PlanSharedMoves();
    ScanXfs();
    PlanMarks();
    Emit();
    FixPositions();
    FixXfChecksum();
    return std::move(out_);
  }

 private:
  // ---- the sheet's records ----
  void ScanSheet(std::uint32_t bof) {
    xls::BiffRecordReader reader(in_, bof);
    xls::BiffRecord r;
    reader.Next(r);  // BOF, checked by the reader
    units_.push_back(
        {r.offset, static_cast<std::uint32_t>(reader.position()), r.type, 0, 0, 0, false});
    int depth = 1;
    bool in_cell = false;
    while (depth > 0 && reader.Next(r)) {
      const auto end = static_cast<std::uint32_t>(reader.position());
      if (r.type == rec::kBof) {
        ++depth;
      } else if (r.type == rec::kEof) {
        --depth;
      }
      const bool follower = r.type == rec::kString || r.type == rec::kShrFmla ||
                            r.type == rec::kArray || r.type == rec::kTable ||
                            r.type == rec::kContinue;
      if (depth == 1 && in_cell && follower) {
        Unit& cell = units_.back();
        if (r.type == rec::kContinue) {
          if (cell.end == cell.formula_end) {
            cell.formula_end = end;
          } else if (cell.follower != 0 && cell.end == cell.follower_end) {
            cell.follower_end = end;
          }
        } else if (r.type != rec::kString) {
          cell.anchors_shared = true;
          if (cell.type == rec::kFormula && cell.follower == 0) {
            cell.follower = r.offset;
            cell.follower_end = end;
            cell.follower_type = r.type;
            if (r.body.size() >= 6) {
              blocks_.push_back({r.type, xls::U16(r.body, 0, "ref") + 1,
                                 xls::U16(r.body, 2, "ref") + 1, r.body[4] + 1, r.body[5] + 1});
            }
          }
        }
        cell.end = end;
        continue;
      }
      Unit u{r.offset, end, r.type, 0, 0, 0, false};
      in_cell = false;
      if (depth == 1 && r.body.size() >= 4) {
        const int row = xls::U16(r.body, 0, "cell") + 1;
        const int col = xls::U16(r.body, 2, "cell") + 1;
        switch (r.type) {
          case rec::kMulRk:
          case rec::kMulBlank: {
            const std::size_t each = r.type == rec::kMulRk ? 6 : 2;
            if (r.body.size() < 6 || (r.body.size() - 6) % each != 0) {
              xls::ThrowBroken("位置 " + std::to_string(r.offset) +
                               " の MULRK/MULBLANK が壊れています");
            }
            u.row = row;
            u.first_col = col;
            u.last_col = col + static_cast<int>((r.body.size() - 6) / each) - 1;
            in_cell = true;
            break;
          }
          case rec::kNumber:
          case rec::kRk:
          case rec::kBlank:
          case rec::kLabelSst:
          case rec::kLabel:
          case rec::kRString:
          case rec::kBoolErr:
          case rec::kFormula:
            if (r.body.size() < 6) {
              xls::ThrowBroken("位置 " + std::to_string(r.offset) + " のセル レコードが短すぎます");
            }
            u.row = row;
            u.first_col = u.last_col = col;
            in_cell = true;
            if (r.type == rec::kFormula) {
              u.formula_end = end;
              if (r.body.size() >= 27 && xls::U16(r.body, 20, "FORMULA") == 5 &&
                  (r.body[22] == 0x01 || r.body[22] == 0x02)) {
                u.exp_row = xls::U16(r.body, 23, "FORMULA") + 1;
                u.exp_col = xls::U16(r.body, 25, "FORMULA") + 1;
                u.exp_table = r.body[22] == 0x02;
              }
            }
            break;
          case kRow:
            if (r.body.size() != 16) {
              xls::ThrowUnsupported("位置 " + std::to_string(r.offset) + " の ROW レコードの長さ " +
                                    std::to_string(r.body.size()) +
                                    " が 16 バイトではないため書き込めません");
            }
            u.row = row;
            rows_with_record_[row] = units_.size();
            break;
          default:
            break;
        }
      }
      if (u.row > 0 && r.type != kRow) {
        cell_units_of_row_[u.row].push_back(units_.size());
        last_cell_unit_ = units_.size();
        any_cell_ = true;
      }
      if (r.type == kRow) {
        last_row_unit_ = units_.size();
        any_row_ = true;
      }
      if (depth == 1 && r.type == kDimensions) {
        dimension_units_.push_back(units_.size());
      }
      if (depth == 1 && r.type == kIndex) {
        index_ = r.offset;
      }
      units_.push_back(u);
    }
    if (depth > 0) {
      xls::ThrowBroken("シートが EOF レコードの前で終わっています");
    }
    sheet_end_ = units_.back().end;
    if (!any_cell_) {
      // No cell yet: new cells go right before the sheet's closing records (the window).
      last_cell_unit_ = FirstUnitOfType(0x023E, units_.size() - 1) - 1;
    }
  }

  std::size_t FirstUnitOfType(std::uint16_t type, std::size_t fallback) const {
    for (std::size_t i = 0; i < units_.size(); ++i) {
      if (units_[i].type == type) {
        return i;
      }
    }
    return fallback;
  }

  // ---- where each edit goes ----
  void PlanEdits() {
    // The blocks a number may not go into, swept along the edits' rows.
    std::vector<const FormulaBlock*> whole;
    for (const FormulaBlock& b : blocks_) {
      if (b.type == rec::kTable || (b.type == rec::kArray && !b.OneCell())) {
        whole.push_back(&b);
      }
    }
    std::sort(whole.begin(), whole.end(), [](const FormulaBlock* a, const FormulaBlock* b) {
      return a->first_row < b->first_row;
    });
    std::size_t next_whole = 0;
    std::vector<const FormulaBlock*> across;  // blocks that reach the current row
    for (std::size_t k = 0; k < edits_.size(); ++k) {
      const Edit& e = edits_[k];
      while (next_whole < whole.size() && whole[next_whole]->first_row <= e.row) {
        across.push_back(whole[next_whole++]);
      }
      std::erase_if(across, [&](const FormulaBlock* b) { return b->last_row < e.row; });
      if (e.value) {
        for (const FormulaBlock* b : across) {
          RefusePartOfArray(e, *b);
        }
      }
      auto row_it = cell_units_of_row_.find(e.row);
      bool placed = false;
      std::size_t before = 0;
      if (row_it != cell_units_of_row_.end()) {
        const auto& list = row_it->second;
        before = list.back() + 1;
        bool before_found = false;
        // Every record that holds the cell takes the edit: a row's cells may be out of column
        // order, split into runs or stored twice, and a reader keeps the last of them.
        for (std::size_t u : list) {
          if (units_[u].first_col <= e.col && e.col <= units_[u].last_col) {
            if (e.value && units_[u].anchors_shared) {
              PlanAnchorWrite(u, e);
            }
            on_unit_[u].push_back(k);
            placed = true;
          } else if (!before_found && units_[u].first_col > e.col) {
            before = u;
            before_found = true;
          }
        }
      } else {
        auto next = cell_units_of_row_.upper_bound(e.row);
        before = next != cell_units_of_row_.end() ? next->second.front() : last_cell_unit_ + 1;
      }
      if (!placed) {
        insert_before_[before].push_back(k);
        if (!rows_with_record_.count(e.row)) {
          auto next = rows_with_record_.upper_bound(e.row);
          const std::size_t at = next != rows_with_record_.end() ? next->second
                                 : any_row_                      ? last_row_unit_ + 1
                                                                 : before;
          auto& cols = new_rows_[e.row];
          if (cols.at == SIZE_MAX) {
            cols = {at, e.col, e.col};
          }
          cols.min_col = std::min(cols.min_col, e.col);
          cols.max_col = std::max(cols.max_col, e.col);
        }
      }
      min_row_ = std::min(min_row_, e.row);
      max_row_ = std::max(max_row_, e.row);
      min_col_ = std::min(min_col_, e.col);
      max_col_ = std::max(max_col_, e.col);
    }
    for (const auto& [row, nr] : new_rows_) {
      row_inserts_[nr.at].push_back(row);
    }
  }

  // A number cannot replace one cell of a multi-cell array formula or of a data table: their
  // cells are one formula, and a spreadsheet application refuses the same.
  static void RefusePartOfArray(const Edit& e, const FormulaBlock& b) {
    if (!b.Holds(e.row, e.col)) {
      return;
    }
    if (b.type == rec::kTable) {
      xls::ThrowUnsupported("セル " + CellName(e.row, e.col) + " はデータ テーブル (範囲 " +
                            b.Name() + ") の一部のため書き換えられません");
    }
    xls::ThrowUnsupported("セル " + CellName(e.row, e.col) + " は配列数式 (範囲 " + b.Name() +
                          ") の一部のため書き換えられません。配列の一部だけを変えることは"
                          "できません");
  }

  // A number over the cell that anchors a shared formula: the formula moves on to the cells
  // that remain. A one-cell array formula simply gives way to the number.
  void PlanAnchorWrite(std::size_t unit, const Edit& e) {
    const Unit& u = units_[unit];
    if (u.follower_type == rec::kArray) {
      return;
    }
    const std::size_t length = u.follower_end - u.follower - 4;
    if (u.follower_type != rec::kShrFmla || length < 10 || length > xls::kMaxRecordBody ||
        Get16(in_, u.follower + 2) != length) {
      xls::ThrowUnsupported("セル " + CellName(e.row, e.col) +
                            " は共有数式の基点で、その共有数式の形に対応していないため書き換えられ"
                            "ません");
    }
    moved_anchors_.push_back(unit);
  }

  bool WritesValue(std::size_t unit) const {
    auto it = on_unit_.find(unit);
    if (it == on_unit_.end()) {
      return false;
    }
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](std::size_t k) { return edits_[k].value.has_value(); });
  }

  // Each overwritten anchor's shared formula goes to the cells that still refer to it, cut
  // into rectangles: a SHRFMLA after the FORMULA of each rectangle's top-left cell, and every
  // cell's PtgExp pointing at that cell.
  void PlanSharedMoves() {
    if (moved_anchors_.empty()) {
      return;
    }
    std::map<std::pair<int, int>, std::vector<std::size_t>> referring;
    for (std::size_t u = 0; u < units_.size(); ++u) {
      const Unit& c = units_[u];
      if (c.type == rec::kFormula && c.exp_row > 0 && !c.exp_table) {
        referring[{c.exp_row, c.exp_col}].push_back(u);
      }
    }
    for (std::size_t a : moved_anchors_) {
      const Unit& anchor = units_[a];
      std::vector<std::size_t> refs;
      std::vector<std::pair<int, int>> cells;
      for (std::size_t u : referring[{anchor.row, anchor.first_col}]) {
        if (u != a && !WritesValue(u)) {
          refs.push_back(u);
          cells.emplace_back(units_[u].row, units_[u].first_col);
        }
      }
      const std::size_t body = anchor.follower + 4;
      const std::size_t length = anchor.follower_end - body;
      const std::vector<xls::SharedPiece> pieces = xls::SharedPieces(cells);
      std::map<std::pair<int, int>, std::size_t> piece_of;
      for (std::size_t p = 0; p < pieces.size(); ++p) {
        for (int row = pieces[p].first_row; row <= pieces[p].last_row; ++row) {
          for (int col = pieces[p].first_col; col <= pieces[p].last_col; ++col) {
            piece_of[{row, col}] = p;
          }
        }
      }
      std::vector<ByteVec> records;
      for (const xls::SharedPiece& piece : pieces) {
        ByteVec& record = records.emplace_back();
        AppendHeader(record, rec::kShrFmla, length);
        Append16(record, static_cast<std::uint32_t>(piece.first_row - 1));
        Append16(record, static_cast<std::uint32_t>(piece.last_row - 1));
        record.push_back(static_cast<std::uint8_t>(piece.first_col - 1));
        record.push_back(static_cast<std::uint8_t>(piece.last_col - 1));
        record.push_back(in_[body + 6]);  // reserved
        record.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(piece.cells(), 255)));
        record.insert(record.end(), in_.begin() + body + 8, in_.begin() + body + length);
      }
      // Each piece's SHRFMLA goes after the first record of its top-left cell (refs are in
      // stream order).
      for (std::size_t u : refs) {
        const Unit& c = units_[u];
        const std::size_t p = piece_of.at({c.row, c.first_col});
        retarget_[u] = {pieces[p].first_row, pieces[p].first_col};
        if (!records[p].empty() && c.row == pieces[p].first_row &&
            c.first_col == pieces[p].first_col) {
          new_follower_[u] = std::move(records[p]);
          records[p].clear();
        }
      }
    }
  }

  // ---- XF table of the globals ----
  void ScanXfs() {
    xls::BiffRecordReader reader(in_, 0);
    xls::BiffRecord r;
    while (reader.Next(r) && r.offset <= globals_.eof_offset) {
      if (r.type == kXf) {
        if (r.body.size() < 20) {
          xls::ThrowBroken("位置 " + std::to_string(r.offset) + " の XF レコードが短すぎます");
        }
        xf_offsets_.push_back(r.offset);
        xf_end_ = static_cast<std::uint32_t>(reader.position());
      } else if (r.type == kXfCrc && r.body.size() >= 20) {
        xf_crc_ = r.offset;
      }
    }
  }

  bool IsStyleXf(std::uint16_t xf) const {
    return xf < xf_offsets_.size() && (in_[xf_offsets_[xf] + 4 + 4] & 0x04) != 0;
  }

  // The XF of a new cell: 15, the usual default cell format, unless it is a style (as in
  // xlwt's files), then the first cell XF.
  std::uint16_t DefaultXf() const {
    if (xf_offsets_.size() > 15 && !IsStyleXf(15)) {
      return 15;
    }
    for (std::size_t i = 0; i < xf_offsets_.size(); ++i) {
      if (!IsStyleXf(static_cast<std::uint16_t>(i))) {
        return static_cast<std::uint16_t>(i);
      }
    }
    return 15;
  }

  std::uint16_t OriginalXf(std::size_t unit, int col) const {
    const Unit& u = units_[unit];
    const std::size_t body = u.begin + 4;
    if (u.type == rec::kMulRk) {
      return Get16(in_, body + 4 + 6 * static_cast<std::size_t>(col - u.first_col));
    }
    if (u.type == rec::kMulBlank) {
      return Get16(in_, body + 4 + 2 * static_cast<std::size_t>(col - u.first_col));
    }
    return Get16(in_, body + 4);
  }

  void PlanMarks() {
    default_xf_ = DefaultXf();
    auto clone_of = [&](std::uint16_t xf) {
      auto it = clones_.find(xf);
      if (it != clones_.end()) {
        return;
      }
      if (xf_offsets_.empty()) {
        xls::ThrowUnsupported("ブックに書式 (XF) の表がないため、塗りつぶしを付けられません");
      }
      if (xf >= xf_offsets_.size()) {
        xls::ThrowBroken("セルの書式番号 " + std::to_string(xf) + " が XF 表 (" +
                         std::to_string(xf_offsets_.size()) + " 個) の外です");
      }
      const std::size_t index = xf_offsets_.size() + clones_.size();
      if (index >= 4050) {
        xls::ThrowUnsupported("書式 (XF) が多すぎて塗りつぶしの書式を追加できません");
      }
      clones_[xf] = static_cast<std::uint16_t>(index);
      clone_order_.push_back(xf);
    };
    for (const auto& [unit, ks] : on_unit_) {
      for (std::size_t k : ks) {
        if (edits_[k].mark) {
          clone_of(OriginalXf(unit, edits_[k].col));
        }
      }
    }
    for (const auto& [unit, ks] : insert_before_) {
      for (std::size_t k : ks) {
        if (edits_[k].mark) {
          clone_of(default_xf_);
        }
      }
    }
    for (std::uint16_t xf : clone_order_) {
      const std::size_t at = xf_offsets_[xf];
      ByteVec rec(in_.begin() + at, in_.begin() + at + 4 + Get16(in_, at + 2));
      const std::uint16_t flags = Get16(rec, 8);
      if ((flags & 0x04) != 0) {
        // A style becomes the parent of the new cell format, which then differs from it
        // only in the fill (a style's attribute flags mean the opposite of a cell's).
        Put16(rec, 8, static_cast<std::uint16_t>((flags & 0x0003) | (xf << 4)));
        rec[4 + 9] &= 0x03;
      }
      rec[4 + 9] |= 0x40;  // the fill is this format's own, not the parent style's
      // A solid pattern; and no extended format (XFEXT) of its own, whose colours would
      // otherwise override the grey.
      const std::uint32_t border = Get32(rec, 4 + 14);
      Put32(rec, 4 + 14, (border & 0x01FFFFFFu) | (1u << 26));
      const std::uint16_t colours = Get16(rec, 4 + 18);
      Put16(rec, 4 + 18,
            static_cast<std::uint16_t>((colours & 0xC000) | kMarkColourIndex | (64u << 7)));
      xf_records_.insert(xf_records_.end(), rec.begin(), rec.end());
    }
  }

  std::uint16_t XfFor(std::uint16_t original, bool mark) const {
    return mark ? clones_.at(original) : original;
  }

  // ---- the new stream ----
  void Copy(std::uint32_t begin, std::uint32_t end) {
    // Spans come from offsets the file states; one that runs backwards or off the end means
    // the records overlap in a way this rewrite cannot follow.
    if (begin > end || end > in_.size()) {
      xls::ThrowBroken("位置 " + std::to_string(begin) + " から " + std::to_string(end) +
                       " までのレコードが重なり合っていて書き直せません");
    }
    out_.insert(out_.end(), in_.begin() + begin, in_.begin() + end);
  }

  void Emit() {
    out_.reserve(in_.size() + xf_records_.size() + edits_.size() * 18 + new_rows_.size() * 20);
    const std::uint32_t sheet_begin = units_.front().begin;
    // Globals and sheets before the active one, with the new XFs after the last XF.
    const std::uint32_t xf_at = xf_offsets_.empty() ? 0 : xf_end_;
    if (!xf_records_.empty()) {
      Copy(0, xf_at);
      out_.insert(out_.end(), xf_records_.begin(), xf_records_.end());
      Copy(xf_at, sheet_begin);
      globals_shift_at_ = xf_at;
    } else {
      Copy(0, sheet_begin);
    }
    const auto delta_before = static_cast<std::int64_t>(xf_records_.size());
    for (std::size_t i = 0; i < units_.size(); ++i) {
      EmitInsertions(i);
      EmitUnit(i);
    }
    const std::int64_t delta_after =
        static_cast<std::int64_t>(out_.size()) - static_cast<std::int64_t>(sheet_end_);
    Copy(sheet_end_, static_cast<std::uint32_t>(in_.size()));
    delta_before_ = delta_before;
    delta_after_ = delta_after;
  }

  void EmitInsertions(std::size_t unit) {
    auto rows = row_inserts_.find(unit);
    if (rows != row_inserts_.end()) {
      for (int row : rows->second) {
        const NewRow& nr = new_rows_.at(row);
        NoteRow(row, out_.size());
        AppendHeader(out_, kRow, 16);
        Append16(out_, static_cast<std::uint32_t>(row - 1));
        Append16(out_, static_cast<std::uint32_t>(nr.min_col - 1));
        Append16(out_, static_cast<std::uint32_t>(nr.max_col));
        Append16(out_, 0x00FF);  // the default height, 12.75 points
        Append16(out_, 0);
        Append16(out_, 0);
        Append32(out_, 0x00000100);
      }
    }
    auto cells = insert_before_.find(unit);
    if (cells != insert_before_.end()) {
      for (std::size_t k : cells->second) {
        const Edit& e = edits_[k];
        NoteCell(e.row, out_.size());
        const std::uint16_t xf = XfFor(default_xf_, e.mark);
        if (e.value) {
          AppendNumber(out_, e.row, e.col, xf, *e.value);
        } else {
          AppendBlank(out_, e.row, e.col, xf);
        }
      }
    }
  }

  void NoteRow(int row, std::size_t pos) {
    block_rows_.push_back({row, static_cast<std::uint32_t>(pos), 0});
  }
  void NoteCell(int row, std::size_t pos) {
    for (auto it = block_rows_.rbegin(); it != block_rows_.rend(); ++it) {
      if (it->row == row) {
        if (it->first_cell == 0) {
          it->first_cell = static_cast<std::uint32_t>(pos);
        }
        return;
      }
    }
  }

  void EmitUnit(std::size_t i) {
    const Unit& u = units_[i];
    const std::size_t pos = out_.size();
    record_map_.push_back({u.begin, static_cast<std::uint32_t>(pos)});
    if (u.type == kRow) {
      NoteRow(u.row, pos);
      Copy(u.begin, u.end);
      GrowRow(pos, u.row);
      return;
    }
    if (u.type == kDbCell) {
      EmitDbCell(u);
      return;
    }
    if (!edits_.empty() &&
        std::find(dimension_units_.begin(), dimension_units_.end(), i) != dimension_units_.end()) {
      EmitDimensions(u);
      return;
    }
    if (u.row > 0) {
      NoteCell(u.row, pos);
    }
    auto it = on_unit_.find(i);
    if (it == on_unit_.end()) {
      CopyKeptUnit(i);
      return;
    }
    const std::vector<std::size_t>& ks = it->second;
    if (u.type == rec::kMulRk || u.type == rec::kMulBlank) {
      EmitSplit(u, ks);
      return;
    }
    const Edit& e = edits_[ks.front()];
    const std::uint16_t xf = XfFor(OriginalXf(i, e.col), e.mark);
    if (e.value) {
      // The record and its STRING (and SHRFMLA, planned to move on) give way to the number.
      AppendNumber(out_, e.row, e.col, xf, *e.value);
    } else {
      CopyKeptUnit(i);
      Put16(out_, pos + 4 + 4, xf);
    }
  }

  // A cell record that stays, with its PtgExp pointed at its shared formula's new anchor and
  // the moved SHRFMLA right after the FORMULA that now anchors it.
  void CopyKeptUnit(std::size_t i) {
    const Unit& u = units_[i];
    const std::size_t pos = out_.size();
    auto follower = new_follower_.find(i);
    const std::uint32_t split = follower != new_follower_.end() ? u.formula_end : u.end;
    Copy(u.begin, split);
    if (auto target = retarget_.find(i); target != retarget_.end()) {
      Put16(out_, pos + 4 + 23, static_cast<std::uint32_t>(target->second.first - 1));
      Put16(out_, pos + 4 + 25, static_cast<std::uint32_t>(target->second.second - 1));
    }
    if (follower != new_follower_.end()) {
      out_.insert(out_.end(), follower->second.begin(), follower->second.end());
      Copy(split, u.end);
    }
  }

  // A MULRK / MULBLANK whose cells change: runs of untouched cells stay multi-cell records
  // (or single RK / BLANK records), a cell with a new number becomes a NUMBER.
  void EmitSplit(const Unit& u, const std::vector<std::size_t>& ks) {
    const bool rk = u.type == rec::kMulRk;
    const std::size_t each = rk ? 6 : 2;
    const std::size_t body = u.begin + 4;
    const int n = u.last_col - u.first_col + 1;
    std::vector<std::uint16_t> xfs(n);
    std::vector<std::uint32_t> rks(n);
    std::vector<const Edit*> edit_of(n, nullptr);
    for (int j = 0; j < n; ++j) {
      xfs[j] = Get16(in_, body + 4 + each * j);
      if (rk) {
        rks[j] = Get32(in_, body + 6 + each * j);
      }
    }
    for (std::size_t k : ks) {
      const Edit& e = edits_[k];
      const int j = e.col - u.first_col;
      edit_of[j] = &e;
      xfs[j] = XfFor(xfs[j], e.mark);
    }
    auto flush = [&](int from, int to) {  // cells [from, to) kept as they were
      if (from >= to) {
        return;
      }
      if (to - from == 1) {
        AppendHeader(out_, rk ? rec::kRk : rec::kBlank, rk ? 10 : 6);
      } else {
        AppendHeader(out_, u.type, 6 + each * (to - from));
      }
      Append16(out_, static_cast<std::uint32_t>(u.row - 1));
      Append16(out_, static_cast<std::uint32_t>(u.first_col + from - 1));
      for (int j = from; j < to; ++j) {
        Append16(out_, xfs[j]);
        if (rk) {
          Append32(out_, rks[j]);
        }
      }
      if (to - from > 1) {
        Append16(out_, static_cast<std::uint32_t>(u.first_col + to - 2));
      }
    };
    int run = 0;
    for (int j = 0; j < n; ++j) {
      if (edit_of[j] != nullptr && edit_of[j]->value) {
        flush(run, j);
        AppendNumber(out_, u.row, u.first_col + j, xfs[j], *edit_of[j]->value);
        run = j + 1;
      }
    }
    flush(run, n);
  }

  void GrowRow(std::size_t pos, int row) {
    auto [lo, hi] = EditColumns(row);
    if (lo == 0) {
      return;
    }
    const std::size_t b = pos + 4;
    const std::uint16_t mic = Get16(out_, b + 2);
    const std::uint16_t mac = Get16(out_, b + 4);
    if (mic == mac) {  // a row without cells
      Put16(out_, b + 2, static_cast<std::uint32_t>(lo - 1));
      Put16(out_, b + 4, static_cast<std::uint32_t>(hi));
      return;
    }
    Put16(out_, b + 2, std::min<std::uint32_t>(mic, lo - 1));
    Put16(out_, b + 4, std::max<std::uint32_t>(mac, hi));
  }

  std::pair<int, int> EditColumns(int row) const {
    auto it = std::lower_bound(edits_.begin(), edits_.end(), row,
                               [](const Edit& e, int r) { return e.row < r; });
    if (it == edits_.end() || it->row != row) {
      return {0, 0};
    }
    int lo = it->col;
    int hi = it->col;
    for (; it != edits_.end() && it->row == row; ++it) {
      hi = it->col;
    }
    return {lo, hi};
  }

  // The sheet's used range, widened to the written cells. A DIMENSIONS record too short to
  // hold the range is rewritten whole from the cells themselves.
  void EmitDimensions(const Unit& u) {
    std::uint32_t r0 = static_cast<std::uint32_t>(min_row_ - 1);
    std::uint32_t r1 = static_cast<std::uint32_t>(max_row_);
    std::uint32_t c0 = static_cast<std::uint32_t>(min_col_ - 1);
    std::uint32_t c1 = static_cast<std::uint32_t>(max_col_);
    const std::size_t length = u.end - u.begin - 4;
    ByteVec tail{0, 0};  // the reserved field
    if (length >= 14) {
      const std::size_t b = u.begin + 4;
      const std::uint32_t o_r0 = Get32(in_, b);
      const std::uint32_t o_r1 = Get32(in_, b + 4);
      const std::uint16_t o_c0 = Get16(in_, b + 8);
      const std::uint16_t o_c1 = Get16(in_, b + 10);
      if (o_r0 < o_r1 && o_c0 < o_c1) {
        r0 = std::min(r0, o_r0);
        r1 = std::max(r1, o_r1);
        c0 = std::min<std::uint32_t>(c0, o_c0);
        c1 = std::max<std::uint32_t>(c1, o_c1);
      }
      tail.assign(in_.begin() + b + 12, in_.begin() + u.end);
    } else {
      for (const Unit& cell : units_) {
        if (cell.row > 0 && cell.type != kRow) {
          r0 = std::min<std::uint32_t>(r0, cell.row - 1);
          r1 = std::max<std::uint32_t>(r1, cell.row);
          c0 = std::min<std::uint32_t>(c0, cell.first_col - 1);
          c1 = std::max<std::uint32_t>(c1, cell.last_col);
        }
      }
    }
    AppendHeader(out_, kDimensions, 12 + tail.size());
    Append32(out_, r0);
    Append32(out_, r1);
    Append16(out_, c0);
    Append16(out_, std::min<std::uint32_t>(c1, 0xFFFF));
    out_.insert(out_.end(), tail.begin(), tail.end());
  }

  // The block's DBCELL, rebuilt from where its rows and their first cells now lie: the
  // distance back to the first ROW, then for each row the step from the end of the first ROW
  // (and afterwards from the previous row's first cell) to the row's first cell.
  void EmitDbCell(const Unit& u) {
    const auto pos = static_cast<std::uint32_t>(out_.size());
    std::sort(block_rows_.begin(), block_rows_.end(),
              [](const BlockRow& a, const BlockRow& b) { return a.pos < b.pos; });
    if (block_rows_.empty()) {
      Copy(u.begin, u.end);
      return;
    }
    AppendHeader(out_, kDbCell, 4 + 2 * block_rows_.size());
    Append32(out_, pos - block_rows_.front().pos);
    std::uint32_t base = block_rows_.front().pos + kRowRecordSize;
    for (const BlockRow& r : block_rows_) {
      const std::uint32_t cell = r.first_cell == 0 ? base : r.first_cell;
      Append16(out_, cell - base);
      base = cell;
    }
    block_rows_.clear();
  }

  // ---- positions ----
  std::uint32_t MapOffset(std::uint32_t old) const {
    const xls::SheetEntry& sheet = globals_.sheets[globals_.active_sheet];
    if (old < sheet.bof_offset) {
      return old >= globals_shift_at_ && globals_shift_at_ > 0
                 ? static_cast<std::uint32_t>(old + delta_before_)
                 : old;
    }
    if (old >= sheet_end_) {
      return static_cast<std::uint32_t>(old + delta_after_);
    }
    auto it = std::upper_bound(record_map_.begin(), record_map_.end(), old,
                               [](std::uint32_t v, const auto& m) { return v < m.first; });
    --it;
    return it->second + (old - it->first);
  }

  void FixPositions() {
    // BOUNDSHEET positions of every sheet.
    for (const xls::SheetEntry& s : globals_.sheets) {
      Put32(out_, MapOffset(s.boundsheet_offset) + 4, MapOffset(s.bof_offset));
    }
    // EXTSST: absolute positions of the SST buckets.
    xls::BiffRecordReader reader(in_, 0);
    xls::BiffRecord r;
    while (reader.Next(r) && r.offset <= globals_.eof_offset) {
      if (r.type == kExtSst) {
        const std::uint32_t at = MapOffset(r.offset) + 4;
        for (std::size_t b = 2; b + 8 <= r.body.size(); b += 8) {
          Put32(out_, at + b, MapOffset(xls::U32(r.body, b, "EXTSST")));
        }
      }
    }
    if (index_ != 0) {
      FixIndex();
    }
  }

  // The XFCRC record vouches for the XF table its extended formats (XFEXT) were written
  // against; with the count and checksum carried over to the longer table, an application
  // keeps honouring them. A checksum that no longer matched before the write is left as found:
  // renewing it would revive extended formats that some other program has made stale.
  void FixXfChecksum() {
    if (xf_records_.empty() || !xf_crc_) {
      return;
    }
    const std::size_t body = *xf_crc_ + 4;
    std::uint32_t crc = 0;
    for (std::uint32_t at : xf_offsets_) {
      crc = xls::XfChecksum(crc, xls::Bytes(in_).subspan(at + 4, Get16(in_, at + 2)));
    }
    if (Get16(in_, body + 14) != xf_offsets_.size() || Get32(in_, body + 16) != crc) {
      return;
    }
    for (std::size_t at = 0; at < xf_records_.size(); at += 4 + Get16(xf_records_, at + 2)) {
      crc =
          xls::XfChecksum(crc, xls::Bytes(xf_records_).subspan(at + 4, Get16(xf_records_, at + 2)));
    }
    const std::uint32_t out = MapOffset(*xf_crc_) + 4;
    Put16(out_, out + 14, static_cast<std::uint32_t>(xf_offsets_.size() + clone_order_.size()));
    Put32(out_, out + 16, crc);
  }

  void FixIndex() {
    const std::size_t b = MapOffset(index_) + 4;
    const std::uint16_t length = Get16(out_, b - 2);
    if (length < 16) {
      xls::ThrowBroken("INDEX レコードが短すぎます");
    }
    const std::size_t count = (length - 16) / 4;
    if (!edits_.empty()) {
      const std::uint32_t r0 = Get32(out_, b + 4);
      const std::uint32_t r1 = Get32(out_, b + 8);
      const bool empty = r0 >= r1;
      Put32(out_, b + 4, empty ? min_row_ - 1 : std::min<std::uint32_t>(r0, min_row_ - 1));
      Put32(out_, b + 8, empty ? max_row_ : std::max<std::uint32_t>(r1, max_row_));
    }
    const std::uint32_t defcol = Get32(out_, b + 12);
    if (defcol != 0) {
      Put32(out_, b + 12, MapOffset(defcol));
    }
    for (std::size_t i = 0; i < count; ++i) {
      Put32(out_, b + 16 + 4 * i, MapOffset(Get32(out_, b + 16 + 4 * i)));
    }
  }

  struct NewRow {
    std::size_t at = SIZE_MAX;
    int min_col = 0;
    int max_col = 0;
  };
  struct BlockRow {
    int row;
    std::uint32_t pos;
    std::uint32_t first_cell;
  };

  const ByteVec& in_;
  const xls::WorkbookGlobals& globals_;
  std::vector<Edit> edits_;
  std::vector<Unit> units_;
  std::map<int, std::vector<std::size_t>> cell_units_of_row_;
  std::map<int, std::size_t> rows_with_record_;
  std::size_t last_cell_unit_ = 0;
  std::size_t last_row_unit_ = 0;
  bool any_cell_ = false;
  bool any_row_ = false;
  std::uint32_t sheet_end_ = 0;
  std::vector<std::size_t> dimension_units_;
  std::uint32_t index_ = 0;
  std::map<std::size_t, std::vector<std::size_t>> on_unit_;
  std::vector<FormulaBlock> blocks_;
  std::vector<std::size_t> moved_anchors_;
  std::map<std::size_t, std::pair<int, int>> retarget_;
  std::map<std::size_t, ByteVec> new_follower_;
  std::map<std::size_t, std::vector<std::size_t>> insert_before_;
  std::map<int, NewRow> new_rows_;
  std::map<std::size_t, std::vector<int>> row_inserts_;
  int min_row_ = 65537;
  int max_row_ = 0;
  int min_col_ = 257;
  int max_col_ = 0;
  std::vector<std::uint32_t> xf_offsets_;
  std::uint32_t xf_end_ = 0;
  std::optional<std::uint32_t> xf_crc_;  // the XFCRC record, when there is one
  std::uint16_t default_xf_ = 15;
  std::map<std::uint16_t, std::uint16_t> clones_;
  std::vector<std::uint16_t> clone_order_;
  ByteVec xf_records_;
  ByteVec out_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> record_map_;
  std::vector<BlockRow> block_rows_;
  std::uint32_t globals_shift_at_ = 0;
  std::int64_t delta_before_ = 0;
  std::int64_t delta_after_ = 0;
};

[[noreturn]] void ThrowUnchecked(const std::string& path, const std::string& what) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path +
                     "\" への書き込みを取りやめました: 書き込んだ結果を読み直すと、" + what +
                     " (元のファイルはそのままです)");
}

// What the patch must not have touched: every other stream and storage of the compound file
// byte for byte, with its name, place and class ID, and the cells of every other worksheet
// that read before (their positions moved with the patch).
void CheckUntouchedParts(const ByteVec& file, const xls::OleEntry& tree, const ByteVec& old_stream,
                         const xls::WorkbookGlobals& old_globals, const std::string& path) {
  auto without_workbook = [](xls::OleEntry root) {
    xls::FindChild(root, "Workbook")->data.clear();  // compared cell by cell below
    return root;
  };
  xls::OleEntry written = xls::ReadCompoundTree(file);
  if (xls::FindChild(written, "Workbook") == nullptr) {
    ThrowUnchecked(path, "\"Workbook\" ストリームがありません");
  }
  if (auto diff = xls::FirstDifference(without_workbook(tree), without_workbook(written))) {
    ThrowUnchecked(path, "複合ファイルの \"" + *diff + "\" が元と一致しません");
  }
  const ByteVec new_stream = xls::ReadWorkbookStream(file);
  const xls::WorkbookGlobals new_globals = xls::ParseGlobals(new_stream);
  if (new_globals.sheets.size() != old_globals.sheets.size()) {
    ThrowUnchecked(path, "シートの数が変わっています");
  }
  for (std::size_t i = 0; i < old_globals.sheets.size(); ++i) {
    const xls::SheetEntry& sheet = old_globals.sheets[i];
    if (i == old_globals.active_sheet || sheet.type != xls::SheetType::kWorksheet) {
      continue;
    }
    CellStore before;
    try {
      xls::ParseSheetCells(old_stream, old_globals, i, before, nullptr);
    } catch (const xls::XlsFormatError&) {
      continue;  // a sheet we never read cannot be compared
    }
    CellStore after;
    try {
      xls::ParseSheetCells(new_stream, new_globals, i, after, nullptr);
    } catch (const xls::XlsFormatError& e) {
      ThrowUnchecked(path, "シート \"" + sheet.name + "\" が読めません (" + e.what() + ")");
    }
    before.Finish();
    after.Finish();
    CheckWrittenCells(before, after, {}, path, "シート \"" + sheet.name + "\" ");
  }
}

}  // namespace

std::vector<std::uint8_t> EditXlsBytes(const std::vector<std::uint8_t>& bytes,
                                       const std::string& path, std::span<const CellEdit> edits) {
  try {
    const ByteVec stream = xls::ReadWorkbookStream(bytes);
    const xls::WorkbookGlobals globals = xls::ParseGlobals(stream);
    CellStore check;  // the sheet must read before it is patched
    xls::ParseSheetCells(stream, globals, globals.active_sheet, check, nullptr);
    ByteVec patched = Patcher(stream, globals, edits).Run();
    const xls::OleEntry tree = xls::ReadCompoundTree(bytes);
    // The workbook's data goes first: some readers (FreeXL 1.0.6) misread a small workbook
    // stream that does not start the mini stream.
    xls::OleEntry out = tree;
    xls::OleEntry* workbook = xls::FindChild(out, "Workbook");
    workbook->data = std::move(patched);
    const auto at = out.children.begin() + (workbook - out.children.data());
    std::rotate(out.children.begin(), at, at + 1);
    ByteVec file = xls::WriteCompoundFile(out);
    try {
      CheckUntouchedParts(file, tree, stream, globals, path);
    } catch (const xls::XlsFormatError& e) {
      ThrowUnchecked(path, std::string("ブックが読めません (") + e.what() + ")");
    }
    return file;
  } catch (const xls::XlsFormatError& e) {
    if (e.kind() == xls::XlsFormatError::Kind::kUnsupported) {
      throw RunError(err::kBadFileFormat,
                     "ファイル \"" + path + "\" に書き込めません: " + e.what());
    }
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" は壊れています: " + e.what());
  } catch (const std::runtime_error& e) {
    if (dynamic_cast<const RunError*>(&e) != nullptr) {
      throw;
    }
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" を書き出せません: " + e.what());
  }
}

}  // namespace ombrix::sheet
