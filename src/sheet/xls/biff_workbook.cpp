#include "sheet/xls/biff_workbook.h"

#include <unordered_map>

#include "sheet/active_chart_message.h"
#include "sheet/read_limits.h"
#include "sheet/refusal_reasons.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_string.h"
#include "sheet/xls/rk_number.h"
#include "sheet/xls/segment_cursor.h"
#include "sheet/xls/shared_strings.h"

namespace ombrix::sheet::xls {
namespace {

constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kBiff5Version = 0x0500;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;

std::string At(const BiffRecord& r) {
  return "位置 " + std::to_string(r.offset) + " の";
}

[[noreturn]] void ThrowOld() {
  ThrowUnsupported(reason::kExcel2To95);
}

// Checks a BOF record of a BIFF8 substream and returns its substream type.
std::uint16_t CheckBof(const BiffRecord& r, const char* where) {
  if (r.type == rec::kBof2 || r.type == rec::kBof3 || r.type == rec::kBof4) {
    ThrowOld();
  }
  if (r.type != rec::kBof) {
    ThrowBroken(std::string(where) + "が BOF レコードで始まっていません (" + At(r) +
                "レコードの種類 " + Hex16(r.type) + ")");
  }
  const std::uint16_t version = U16(r.body, 0, "BOF");
  const std::uint16_t type = U16(r.body, 2, "BOF");
  if (version == kBiff5Version || version < kBiff8Version) {
    ThrowOld();
  }
  if (version != kBiff8Version) {
    ThrowBroken(std::string(where) + "の BOF の版 " + Hex16(version) +
                " は BIFF8 (0x0600) ではありません");
  }
  return type;
}

SheetType SheetTypeOf(std::uint8_t dt) {
  switch (dt) {
    case 0x00:
      return SheetType::kWorksheet;
    case 0x01:
      return SheetType::kMacroSheet;
    case 0x02:
      return SheetType::kChart;
    case 0x06:
      return SheetType::kVbModule;
    default:
      return SheetType::kOther;
  }
}

SheetEntry ParseBoundSheet(const BiffRecord& r, std::size_t stream_size) {
  SheetEntry sheet;
  sheet.bof_offset = U32(r.body, 0, "BOUNDSHEET");
  sheet.visibility = U8(r.body, 4, "BOUNDSHEET") & 0x03;
  sheet.type = SheetTypeOf(U8(r.body, 5, "BOUNDSHEET"));
  sheet.boundsheet_offset = r.offset;
  CheckRange(r.body, 6, 2, "BOUNDSHEET");
  const std::vector<BiffSegment> name_bytes{{r.offset, r.body.subspan(6)}};
  SegmentCursor cursor(name_bytes, "BOUNDSHEET");
  ReadBiffString(cursor, CountSize::k8Bit, /*rich=*/false, sheet.name);
  if (sheet.bof_offset >= stream_size) {
    ThrowBroken("シート \"" + sheet.name + "\" の位置 " + std::to_string(sheet.bof_offset) +
                " (BOUNDSHEET) がストリーム (" + std::to_string(stream_size) + " バイト) の外です");
  }
  return sheet;
}

}  // namespace

const char* ErrorCodeName(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return "#N/A";  // an unknown code: the closest meaning, "not available"
  }
}

WorkbookGlobals ParseGlobals(Bytes stream) {
  WorkbookGlobals globals;
  BiffRecordReader reader(stream, 0);
  BiffRecord r;
  if (!reader.Next(r)) {
    ThrowBroken("\"Workbook\" ストリームが空です");
  }
  if (CheckBof(r, "ブックの全体設定 (globals)") != kGlobalsSubstream) {
    ThrowBroken("ストリームの最初の BOF がブックの全体設定 (globals) ではありません");
  }
  std::vector<BiffSegment> segments;
  while (true) {
    if (!reader.Next(r)) {
      ThrowBroken("ブックの全体設定 (globals) が EOF レコードの前で終わっています");
    }
    switch (r.type) {
      case rec::kFilePass:
        ThrowUnsupported(reason::kPasswordProtected);
      case rec::kBoundSheet:
        if (globals.sheets.size() >= kMaxSheets) {
          ThrowUnsupported("シートが上限の " + std::to_string(kMaxSheets) + " 枚を超えています");
        }
        globals.sheets.push_back(ParseBoundSheet(r, stream.size()));
        break;
      case rec::kWindow1:
        if (globals.window1_offset < 0) {
          globals.window1_offset = r.offset;
          globals.itab_cur = U16(r.body, 10, "WINDOW1");
        }
        break;
      case rec::kSst:
        reader.ReadContinues(r, segments);
        if (globals.sst_offset < 0) {
          globals.sst_offset = r.offset;
          globals.shared_strings = ParseSharedStrings(segments);
        }
        break;
      case rec::kEof:
        globals.eof_offset = r.offset;
        globals.active_sheet = ChooseActiveSheet(globals);
        return globals;
      default:
        break;
    }
  }
}

std::size_t ChooseActiveSheet(const WorkbookGlobals& globals) {
  const auto& sheets = globals.sheets;
  if (globals.itab_cur >= 0 && static_cast<std::size_t>(globals.itab_cur) < sheets.size()) {
    const SheetEntry& tab = sheets[globals.itab_cur];
    if (tab.type == SheetType::kWorksheet) {
      return static_cast<std::size_t>(globals.itab_cur);
    }
    // The workbook opens on a chart: another worksheet would be a guess, and a write-back
    // into it would land where the user is not looking.
    if (tab.type == SheetType::kChart) {
      ThrowUnsupported(ActiveChartMessage(tab.name));
    }
  }
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i].type == SheetType::kWorksheet) {
      return i;
    }
  }
  ThrowBroken("ブックにワークシートがありません");
}

namespace {

// Reads the cell records of one sheet substream.
class SheetParser {
 public:
  SheetParser(Bytes stream, const WorkbookGlobals& globals, const SheetEntry& sheet,
              CellStore& cells, SheetLayout* layout, MarkQuery* marks)
      : stream_(stream),
        globals_(globals),
        sheet_(sheet),
        cells_(cells),
        layout_(layout),
        marks_(marks) {
    text_.kind = CellKind::Text;
  }

  void Run() {
    BiffRecordReader reader(stream_, sheet_.bof_offset);
    BiffRecord r;
    if (!reader.Next(r)) {
      ThrowBroken("シート \"" + sheet_.name + "\" がありません");
    }
    const std::string where = "シート \"" + sheet_.name + "\" ";
    CheckBof(r, where.c_str());
    if (layout_ != nullptr) {
      layout_->bof_offset = r.offset;
    }
    int depth = 1;  // embedded substreams (charts) have their own BOF ... EOF
    while (depth > 0) {
      if (!reader.Next(r)) {
        ThrowBroken(where + "が EOF レコードの前で終わっています");
      }
      if (r.type == rec::kBof) {
        ++depth;
        continue;
      }
      if (r.type == rec::kEof) {
        if (--depth == 0 && layout_ != nullptr) {
          layout_->eof_offset = r.offset;
        }
        continue;
      }
      if (depth == 1) {
        Cell(reader, r);
      }
    }
  }

 private:
  struct Pos {
    std::int32_t row;
    std::int32_t col;
    std::uint16_t xf;
  };

  static Pos CellPos(const BiffRecord& r, const char* what) {
    return {static_cast<std::int32_t>(U16(r.body, 0, what)) + 1,
            static_cast<std::int32_t>(U16(r.body, 2, what)) + 1, U16(r.body, 4, what)};
  }

  void Keep(const BiffRecord& r, const Pos& p, std::uint16_t index = 0) {
    if (layout_ != nullptr) {
      layout_->cells.push_back({p.row, p.col, r.offset, r.type, p.xf, index});
    }
    if (marks_ != nullptr) {
      marks_->NoteFormat(p.row, p.col, p.xf);
    }
  }

  void SetText(const Pos& p) { cells_.Set(p.row, p.col, text_); }

  void Cell(BiffRecordReader& reader, const BiffRecord& r) {
    if (IsCellRecord(r.type)) {
      pending_string_ = false;  // a STRING belongs to the FORMULA right before it
    }
    switch (r.type) {
      case rec::kNumber: {
        const Pos p = CellPos(r, "NUMBER");
        cells_.Set(p.row, p.col, CellValue::Number(F64(r.body, 6, "NUMBER")));
        Keep(r, p);
        break;
      }
      case rec::kRk: {
        const Pos p = CellPos(r, "RK");
        cells_.Set(p.row, p.col, CellValue::Number(DecodeRk(U32(r.body, 6, "RK"))));
        Keep(r, p);
        break;
      }
      case rec::kMulRk: {
        if (r.body.size() < 6 || (r.body.size() - 6) % 6 != 0) {
          ThrowBroken(At(r) + "MULRK レコードの長さ " + std::to_string(r.body.size()) +
                      " が正しくありません");
        }
        const std::int32_t row = static_cast<std::int32_t>(U16(r.body, 0, "MULRK")) + 1;
        const std::int32_t first = static_cast<std::int32_t>(U16(r.body, 2, "MULRK")) + 1;
        const std::size_t n = (r.body.size() - 6) / 6;
        for (std::size_t i = 0; i < n; ++i) {
          const Pos p{row, first + static_cast<std::int32_t>(i), U16(r.body, 4 + 6 * i, "MULRK")};
          cells_.Set(p.row, p.col, CellValue::Number(DecodeRk(U32(r.body, 6 + 6 * i, "MULRK"))));
          Keep(r, p, static_cast<std::uint16_t>(i));
        }
        break;
      }
      case rec::kBlank: {
        Keep(r, CellPos(r, "BLANK"));
        break;
      }
      case rec::kMulBlank: {
        if (r.body.size() < 6 || (r.body.size() - 6) % 2 != 0) {
          ThrowBroken(At(r) + "MULBLANK レコードの長さ " + std::to_string(r.body.size()) +
                      " が正しくありません");
        }
        const std::int32_t row = static_cast<std::int32_t>(U16(r.body, 0, "MULBLANK")) + 1;
        const std::int32_t first = static_cast<std::int32_t>(U16(r.body, 2, "MULBLANK")) + 1;
        const std::size_t n = (r.body.size() - 6) / 2;
        for (std::size_t i = 0; i < n && (layout_ != nullptr || marks_ != nullptr); ++i) {
          Keep(r, {row, first + static_cast<std::int32_t>(i), U16(r.body, 4 + 2 * i, "MULBLANK")},
               static_cast<std::uint16_t>(i));
        }
        break;
      }
      case rec::kLabelSst: {
        const Pos p = CellPos(r, "LABELSST");
        const std::uint32_t index = U32(r.body, 6, "LABELSST");
        if (index >= globals_.shared_strings.size()) {
          ThrowBroken(At(r) + "LABELSST (セル " + CellName(p.row, p.col) + ") の文字列番号 " +
                      std::to_string(index) + " が共有文字列表 (" +
                      std::to_string(globals_.shared_strings.size()) + " 個) の外です");
        }
        // A string shown by many cells is kept once, however often the sheet shows it.
        const auto [kept, first] = sst_texts_.try_emplace(index, 0);
        if (first) {
          kept->second = cells_.AddText(globals_.shared_strings[index]);
        }
        cells_.SetText(p.row, p.col, kept->second);
        Keep(r, p);
        break;
      }
      case rec::kLabel:
      case rec::kRString: {
        const Pos p = CellPos(r, "LABEL");
        reader.ReadContinues(r, segments_);
        segments_[0].body = segments_[0].body.subspan(6);
        SegmentCursor cursor(segments_, "LABEL");
        ReadBiffString(cursor, CountSize::k16Bit, /*rich=*/false, text_.text);
        SetText(p);
        Keep(r, p);
        break;
      }
      case rec::kBoolErr: {
        const Pos p = CellPos(r, "BOOLERR");
        const std::uint8_t value = U8(r.body, 6, "BOOLERR");
        if (U8(r.body, 7, "BOOLERR") != 0) {
          cells_.Set(p.row, p.col, CellValue::Error(ErrorCodeName(value)));
        } else {
          cells_.Set(p.row, p.col, CellValue::Boolean(value != 0));
        }
        Keep(r, p);
        break;
      }
      case rec::kFormula: {
        const Pos p = CellPos(r, "FORMULA");
        CheckRange(r.body, 6, 8, "FORMULA");
        Keep(r, p);
        if (U16(r.body, 12, "FORMULA") != 0xFFFF) {
          cells_.Set(p.row, p.col, CellValue::Number(F64(r.body, 6, "FORMULA")));
          break;
        }
        const std::uint8_t kind = r.body[6];
        const std::uint8_t value = r.body[8];
        switch (kind) {
          case 0:  // text: in the STRING record that follows
            pending_string_ = true;
            pending_ = p;
            break;
          case 1:
            cells_.Set(p.row, p.col, CellValue::Boolean(value != 0));
            break;
          case 2:
            cells_.Set(p.row, p.col, CellValue::Error(ErrorCodeName(value)));
            break;
          default:  // 3: empty text, which reads as an empty cell; others: no value
            break;
        }
        break;
      }
      case rec::kString: {
        reader.ReadContinues(r, segments_);
        if (!pending_string_) {
          break;  // a STRING without a formula before it carries no cell
        }
        pending_string_ = false;
        SegmentCursor cursor(segments_, "STRING");
        ReadBiffString(cursor, CountSize::k16Bit, /*rich=*/false, text_.text);
        SetText(pending_);
        break;
      }
      default:
        break;
    }
  }

  static bool IsCellRecord(std::uint16_t type) {
    switch (type) {
      case rec::kNumber:
      case rec::kRk:
      case rec::kMulRk:
      case rec::kBlank:
      case rec::kMulBlank:
      case rec::kLabelSst:
      case rec::kLabel:
      case rec::kRString:
      case rec::kBoolErr:
      case rec::kFormula:
        return true;
      default:
        return false;
    }
  }

  Bytes stream_;
  const WorkbookGlobals& globals_;
  const SheetEntry& sheet_;
  CellStore& cells_;
  SheetLayout* layout_;
  MarkQuery* marks_;
  CellValue text_;  // reused for every text cell, so reading allocates no string per cell
  std::unordered_map<std::uint32_t, std::uint32_t> sst_texts_;  // SST index -> the store's text
  std::vector<BiffSegment> segments_;
  bool pending_string_ = false;
  Pos pending_{};
};

}  // namespace

void ParseSheetCells(Bytes stream, const WorkbookGlobals& globals, std::size_t sheet_index,
                     CellStore& cells, SheetLayout* layout, MarkQuery* marks) {
  if (sheet_index >= globals.sheets.size()) {
    ThrowBroken("シート番号 " + std::to_string(sheet_index) + " のシートがありません");
  }
  SheetParser(stream, globals, globals.sheets[sheet_index], cells, layout, marks).Run();
}

}  // namespace ombrix::sheet::xls
