#include "sheet/xlsx/sheet_cells.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/workbook.h"
#include "sheet/read_limits.h"
#include "sheet/xlsx/cell_number.h"
#include "sheet/xlsx/cell_ref.h"
#include "sheet/xlsx/excel_escapes.h"
#include "sheet/xlsx/iso_date.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_scanner.h"

namespace ombrix::sheet::xlsx {
namespace {

// Where the scanner stands, as far as cells are concerned.
enum class Place : std::uint8_t {
  kOther,  // anything that holds no cell content (formulas, phonetic runs, extensions)
  kWorksheet,
  kSheetData,
  kRow,
  kCell,
  kValue,       // <v>
  kInline,      // <is>
  kInlineRun,   // <is><r>
  kInlineText,  // <is><t> or <is><r><t>
};

std::string_view Local(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

Place Enter(Place parent, std::string_view local) {
  switch (parent) {
    case Place::kWorksheet:
      return local == "sheetData" ? Place::kSheetData : Place::kOther;
    case Place::kSheetData:
      return local == "row" ? Place::kRow : Place::kOther;
    case Place::kRow:
      return local == "c" ? Place::kCell : Place::kOther;
    case Place::kCell:
      return local == "v" ? Place::kValue : local == "is" ? Place::kInline : Place::kOther;
    case Place::kInline:
      return local == "t" ? Place::kInlineText : local == "r" ? Place::kInlineRun : Place::kOther;
    case Place::kInlineRun:
      return local == "t" ? Place::kInlineText : Place::kOther;
    default:
      return Place::kOther;
  }
}

// At most as many cells as the sheet can hold: a stored cell takes four tags (<c>, <v> and
// their ends) and at least 15 bytes (<c><v>1</v></c>). Reserving that much up front keeps
// a sheet of millions of cells from doubling its way there.
std::size_t MostCells(std::string_view xml) {
  const auto tags = static_cast<std::size_t>(std::count(xml.begin(), xml.end(), '<'));
  return std::min(tags / 4, xml.size() / 15);
}

class SheetReader {
 public:
  SheetReader(std::string_view xml, const SheetContext& context)
      : scanner_(xml, context.path, context.part), context_(context) {
    store_.Reserve(MostCells(xml));
  }

  CellStore Run() {
    std::vector<Place> places;
    places.reserve(16);
    while (true) {
      switch (scanner_.Next()) {
        case XmlScanner::Event::kEndOfDocument:
          if (!seen_worksheet_) {
            scanner_.Fail("ワークシートではありません");
          }
          CheckTextLimit(store_, context_.text_limit, context_.path, context_.part);
          store_.Finish();
          return std::move(store_);
        case XmlScanner::Event::kStart: {
          const std::string_view local = Local(scanner_.name());
          Place place;
          if (places.empty()) {
            if (local != "worksheet") {
              scanner_.Fail("ワークシートではありません (根の要素が " + Excerpt(scanner_.name()) +
                            ")");
            }
            seen_worksheet_ = true;
            place = Place::kWorksheet;
          } else {
            place = Enter(places.back(), local);
          }
          places.push_back(place);
          if (place == Place::kRow) {
            StartRow();
          } else if (place == Place::kCell) {
            StartCell();
          } else if (place == Place::kInline) {
            has_inline_ = true;
          } else if (place == Place::kValue) {
            has_value_ = true;
          }
          break;
        }
        case XmlScanner::Event::kEnd:
          if (places.back() == Place::kCell) {
            FinishCell();
          }
          places.pop_back();
          break;
        case XmlScanner::Event::kText:
          if (places.back() == Place::kValue) {
            scanner_.AppendText(value_);
          } else if (places.back() == Place::kInlineText) {
            scanner_.AppendText(inline_);
          }
          break;
      }
    }
  }

 private:
  std::string_view Attribute(std::string_view local) const {
    for (const XmlScanner::Attribute& a : scanner_.attributes()) {
      if (Local(a.name) == local && !a.name.starts_with("xmlns")) {
        return a.raw_value;
      }
    }
    return {};
  }
  bool HasAttribute(std::string_view local) const {
    for (const XmlScanner::Attribute& a : scanner_.attributes()) {
      if (Local(a.name) == local && !a.name.starts_with("xmlns")) {
        return true;
      }
    }
    return false;
  }
  // An attribute value decoded; the common plain case costs no allocation beyond the buffer.
  std::string_view DecodedAttribute(std::string_view local, std::string& buffer) const {
    const std::string_view raw = Attribute(local);
    if (raw.find('&') == std::string_view::npos) {
      return raw;
    }
    buffer.clear();
    scanner_.AppendAttribute(buffer, raw);
    return buffer;
  }

  void StartRow() {
    if (HasAttribute("r")) {
      const std::string_view text = DecodedAttribute("r", attr_buffer_);
      const std::optional<std::int32_t> row = ParseRowNumber(TrimXmlSpace(text));
      if (!row) {
        scanner_.Fail("行番号 r=\"" + Excerpt(text) + "\" が 1 から " + std::to_string(kMaxRow) +
                      " の整数ではありません");
      }
      row_ = *row;
    } else {
      if (row_ >= kMaxRow) {
        scanner_.Fail("行番号のない行が " + std::to_string(kMaxRow) + " 行目を超えます");
      }
      ++row_;
    }
    col_ = 0;
  }

  void StartCell() {
    if (HasAttribute("r")) {
      const std::string_view text = DecodedAttribute("r", attr_buffer_);
      const std::optional<CellRef> ref = ParseCellRef(TrimXmlSpace(text));
      if (!ref) {
        scanner_.Fail("セル参照 r=\"" + Excerpt(text) + "\" が読めません");
      }
      row_ = ref->row;
      col_ = ref->col;
    } else {
      if (row_ == 0) {
        row_ = 1;  // a cell before any numbered row stands in the first
      }
      if (col_ >= kMaxColumn) {
        scanner_.Fail(std::to_string(row_) + " 行目の位置のないセルが XFD 列を超えます");
      }
      ++col_;
    }
    type_.assign(TrimXmlSpace(DecodedAttribute("t", attr_buffer_)));
    if (context_.marks != nullptr) {
      NoteFormat();
    }
    value_.clear();
    inline_.clear();
    has_value_ = false;
    has_inline_ = false;
  }

  // A cell without `s` has format 0; one whose `s` is not a number has none that marks it.
  void NoteFormat() {
    const std::string_view text = TrimXmlSpace(DecodedAttribute("s", attr_buffer_));
    std::uint32_t format = 0;
    if (!text.empty()) {
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), format);
      if (ec != std::errc() || end != text.data() + text.size()) {
        format = 0xFFFFFFFFu;
      }
    }
    context_.marks->NoteFormat(row_, col_, format);
  }

  [[noreturn]] void FailCell(const std::string& what) const {
    ThrowBrokenPart(context_.path, context_.part, "セル " + CellName(row_, col_) + " " + what);
  }

  void FinishCell() {
    const std::string_view trimmed = TrimXmlSpace(value_);
    if (type_.empty() || type_ == "n") {
      if (trimmed.empty()) {
        return;
      }
      const std::optional<double> number = ParseCellNumber(trimmed);
      if (!number) {
        FailCell("の数値 \"" + Excerpt(value_) + "\" が読めません");
      }
      store_.Set(row_, col_, CellValue::Number(*number));
    } else if (type_ == "s") {
      if (trimmed.empty()) {
        return;
      }
      std::size_t index = 0;
      const auto [end, ec] =
          std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), index);
      if (ec != std::errc() || end != trimmed.data() + trimmed.size()) {
        FailCell("の共有文字列の番号 \"" + Excerpt(value_) + "\" が整数ではありません");
      }
      SharedStringUses& uses = context_.deferred_strings ? *context_.deferred_strings : uses_;
      if (index >= kMaxSharedStrings) {
        FailCell("が共有文字列 " + std::to_string(index) + " 番を指していますが、共有文字列は " +
                 "上限の " + std::to_string(kMaxSharedStrings) + " 個までです");
      }
      if (!context_.deferred_strings) {
        const std::size_t count = context_.shared_strings ? context_.shared_strings->size() : 0;
        if (index >= count) {
          FailCell("が共有文字列 " + std::to_string(index) + " 番を指していますが、共有文字列は " +
                   std::to_string(count) + " 個しかありません");
        }
      }
      const auto [use, first] =
          uses.try_emplace(static_cast<std::uint32_t>(index), SharedStringUse{0, row_, col_});
      if (first) {
        use->second.text_id = store_.AddText(
            context_.deferred_strings ? std::string() : (*context_.shared_strings)[index]);
        CheckTextLimit(store_, context_.text_limit, context_.path, context_.part);
      }
      store_.SetText(row_, col_, use->second.text_id);
    } else if (type_ == "inlineStr") {
      if (has_inline_) {
        store_.Set(row_, col_, CellValue::Text(DecodeExcelEscapes(inline_)));
      } else if (has_value_) {
        store_.Set(row_, col_, CellValue::Text(DecodeExcelEscapes(value_)));
      }
      CheckTextLimit(store_, context_.text_limit, context_.path, context_.part);
    } else if (type_ == "str") {
      if (has_value_) {
        store_.Set(row_, col_, CellValue::Text(DecodeExcelEscapes(value_)));
      }
    } else if (type_ == "b") {
      if (trimmed.empty()) {
        return;
      }
      if (trimmed != "0" && trimmed != "1" && trimmed != "true" && trimmed != "false") {
        FailCell("の真偽値 \"" + Excerpt(value_) + "\" が読めません");
      }
      store_.Set(row_, col_, CellValue::Boolean(trimmed == "1" || trimmed == "true"));
    } else if (type_ == "e") {
      if (!trimmed.empty()) {
        store_.Set(row_, col_, CellValue::Error(std::string(trimmed)));
      }
    } else if (type_ == "d") {
      if (trimmed.empty()) {
        return;
      }
      const std::optional<double> serial = ParseIsoDateSerial(trimmed, context_.date1904);
      if (!serial) {
        FailCell("の日付 \"" + Excerpt(value_) + "\" が読めません");
      }
      store_.Set(row_, col_, CellValue::Number(*serial));
    } else {
      FailCell("の型 t=\"" + Excerpt(type_) + "\" は知らない型です");
    }
  }

  XmlScanner scanner_;
  const SheetContext& context_;
  CellStore store_;
  SharedStringUses uses_;  // shared strings already kept, when they are looked up at once
  bool seen_worksheet_ = false;
  std::int32_t row_ = 0;  // the current row; 0 before the first
  std::int32_t col_ = 0;  // the column of the last cell in the row; 0 before the first
  std::string type_;
  std::string value_;
  std::string inline_;
  std::string attr_buffer_;
  bool has_value_ = false;
  bool has_inline_ = false;
};

}  // namespace

CellStore ReadSheetCells(std::string_view xml, const SheetContext& context) {
  return SheetReader(xml, context).Run();
}

}  // namespace ombrix::sheet::xlsx
