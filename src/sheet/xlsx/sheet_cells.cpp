#include "sheet/xlsx/sheet_cells.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <stop_token>
#include <thread>

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

// Where a reader's Run stopped.
enum class Stop : std::uint8_t {
  kEnd,     // the end of the document
  kPaused,  // first at the level of <sheetData>'s children at or past the pause offset
};

// Thrown inside a reader of the second half when it has to give up; never leaves this file.
struct Abandoned {};

class SheetReader {
 public:
  // `uses` and `marks` are where this reader notes shared strings and formats; a reader of the
  // second half keeps its own and hands them over afterwards.
  SheetReader(std::string_view xml, const SheetContext& context, std::size_t reserve_cells,
              SharedStringUses& uses, MarkQuery* marks)
      : scanner_(xml, context.path, context.part), context_(context), uses_(uses), marks_(marks) {
    store_.Reserve(reserve_cells);
    places_.reserve(16);
  }

  // For the reader of the second half: starts at `pos`, a row start inside <sheetData> (the
  // open elements `open`), as the reader of the whole part stood there. That row must carry its
  // number; otherwise, or once `stop` is requested, the reader throws Abandoned.
  void ResumeInRow(std::size_t pos, std::vector<std::string_view> open,
                   const std::stop_token& stop) {
    scanner_.ResumeAt(pos, std::move(open));
    places_ = {Place::kWorksheet, Place::kSheetData};
    seen_worksheet_ = true;
    needs_numbered_row_ = true;
    stop_ = &stop;
  }

  // Stops the next Run where the scanner stands inside <sheetData> (or any other child of the
  // root) at or past `offset`; npos never stops.
  void PauseAt(std::size_t offset) { pause_at_ = offset; }
  // Whether the reader stands exactly at `offset` between two children of <sheetData>, in
  // the state the reader of the second half assumes.
  bool StandsAt(std::size_t offset) const {
    return places_.size() == 2 && places_.back() == Place::kSheetData &&
           scanner_.position() == offset && !scanner_.owes_end();
  }
  const std::vector<std::string_view>& open_elements() const { return scanner_.open_elements(); }
  bool InSheetData() const { return places_.size() == 2 && places_.back() == Place::kSheetData; }
  std::size_t position() const { return scanner_.position(); }

  Stop Run() {
    while (true) {
      switch (scanner_.Next()) {
        case XmlScanner::Event::kEndOfDocument:
          if (!seen_worksheet_) {
            scanner_.Fail("ワークシートではありません");
          }
          return Stop::kEnd;
        case XmlScanner::Event::kStart: {
          const std::string_view local = Local(scanner_.name());
          Place place;
          if (places_.empty()) {
            if (local != "worksheet") {
              scanner_.Fail("ワークシートではありません (根の要素が " + Excerpt(scanner_.name()) +
                            ")");
            }
            seen_worksheet_ = true;
            place = Place::kWorksheet;
          } else {
            place = Enter(places_.back(), local);
          }
          places_.push_back(place);
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
          if (places_.back() == Place::kCell) {
            FinishCell();
          }
          places_.pop_back();
          break;
        case XmlScanner::Event::kText:
          if (places_.back() == Place::kValue) {
            scanner_.AppendText(value_);
          } else if (places_.back() == Place::kInlineText) {
            scanner_.AppendText(inline_);
          }
          break;
      }
      if (places_.size() == 2 && scanner_.position() >= pause_at_) {
        pause_at_ = std::string_view::npos;
        return Stop::kPaused;
      }
    }
  }

  // The store once the whole part is read.
  CellStore Finish() {
    CheckTextLimit(store_, context_.text_limit, context_.path, context_.part);
    store_.Finish();
    return std::move(store_);
  }
  // The cells as read, not yet finished: for handing over to the reader of the first half.
  CellStore TakeCells() { return std::move(store_); }
  const CellStore& cells() const { return store_; }

  // Takes the cells, shared strings and formats that a reader of the rest of the part found, as
  // if this reader had gone on to read them itself: the same cells in the same order, each
  // shared string kept once, with the text id and first cell of its first use. The text limit
  // is checked by Finish, on the whole: its refusal names no cell, so it reads the same.
  void TakeRest(CellStore rest, const SharedStringUses& rest_uses, const MarkQuery* rest_marks) {
    std::vector<std::uint32_t> reuse(rest.text_count(), CellStore::kNewText);
    for (const auto& [index, use] : rest_uses) {
      if (const auto it = uses_.find(index); it != uses_.end()) {
        reuse[use.text_id] = it->second.text_id;
      }
    }
    const std::vector<std::uint32_t> ids = store_.Append(std::move(rest), reuse);
    for (const auto& [index, use] : rest_uses) {
      uses_.try_emplace(index, SharedStringUse{ids[use.text_id], use.row, use.col});
    }
    if (marks_ != nullptr && rest_marks != nullptr) {
      marks_->NoteLater(*rest_marks);
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
    if (stop_ != nullptr) {
      if (stop_->stop_requested() || (needs_numbered_row_ && !HasAttribute("r"))) {
        throw Abandoned{};
      }
      needs_numbered_row_ = false;
    }
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
    if (marks_ != nullptr) {
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
    marks_->NoteFormat(row_, col_, format);
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
          uses_.try_emplace(static_cast<std::uint32_t>(index), SharedStringUse{0, row_, col_});
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
  SharedStringUses& uses_;  // shared strings already kept
  MarkQuery* marks_;
  std::vector<Place> places_;
  std::size_t pause_at_ = std::string_view::npos;
  const std::stop_token* stop_ = nullptr;  // only in the reader of the second half
  bool needs_numbered_row_ = false;
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

// Where the part splits in two: the first row start at or after its middle, when the part is
// at least `split_bytes` long. npos for none.
std::size_t SplitPoint(std::string_view xml, std::size_t split_bytes) {
  if (xml.size() < split_bytes || xml.size() < 2) {
    return std::string_view::npos;
  }
  return xml.find("<row ", xml.size() / 2);
}

// What the reader of the second half hands back.
struct SecondHalf {
  bool read = false;  // false: it gave up or failed, and nothing else here counts
  CellStore cells;
  SharedStringUses uses;
  std::optional<MarkQuery> marks;
};

// Reads the rest of the part from the row start `split` on, as the reader of the whole part
// would have read it from there. Any failure only means the first reader reads on by itself: its
// single pass then reports exactly what it always would have.
void ReadSecondHalf(std::string_view xml, const SheetContext& context, std::size_t split,
                    std::vector<std::string_view> open, const std::stop_token& stop,
                    SecondHalf& out) {
  try {
    if (context.marks != nullptr) {
      out.marks.emplace(context.marks->cells());
    }
    SheetReader reader(xml, context, MostCells(xml.substr(split)), out.uses,
                       out.marks ? &*out.marks : nullptr);
    reader.ResumeInRow(split, std::move(open), stop);
    reader.Run();
    out.cells = reader.TakeCells();
    out.read = true;
  } catch (...) {
    out = SecondHalf{};
  }
}

}  // namespace

CellStore ReadSheetCells(std::string_view xml, const SheetContext& context) {
  SharedStringUses own_uses;  // when shared strings are looked up at once
  SharedStringUses& uses = context.deferred_strings ? *context.deferred_strings : own_uses;
  const std::size_t split = SplitPoint(xml, context.split_bytes);
  if (context.read_in_halves != nullptr) {
    *context.read_in_halves = false;
  }
  if (split == std::string_view::npos) {
    SheetReader reader(xml, context, MostCells(xml), uses, context.marks);
    reader.Run();
    return reader.Finish();
  }
  // A long part is read in two halves at once. This thread reads the first and stops where the
  // second begins; when the second reader succeeded there, its cells join this reader's as if it
  // had read them itself. Otherwise this reader reads on, and the result is the single pass's.
  // The cells of the second half are reserved here too: they are appended in place.
  SheetReader first(xml, context, MostCells(xml.substr(0, split)) + (xml.size() - split) / 15, uses,
                    context.marks);
  // The second reader starts inside the open <worksheet> and <sheetData>, by their names as
  // written: read up to the start of <sheetData>, a child of the root at a time.
  while (true) {
    first.PauseAt(0);
    if (first.Run() == Stop::kEnd) {
      return first.Finish();
    }
    if (first.InSheetData()) {
      break;
    }
    if (first.position() >= split) {  // no sheet data before the split: nothing to share
      first.Run();
      return first.Finish();
    }
  }
  SecondHalf second;
  {
    std::jthread worker([&, open = first.open_elements()](const std::stop_token& stop) {
      ReadSecondHalf(xml, context, split, open, stop, second);
    });
    first.PauseAt(split);
    if (first.Run() == Stop::kEnd) {
      return first.Finish();  // the split lay where no row starts; leaving stops the worker
    }
    if (first.StandsAt(split)) {
      worker.join();  // its result counts; leaving the scope would tell it to stop
    }
  }
  if (first.StandsAt(split) && second.read) {
    first.TakeRest(std::move(second.cells), second.uses, second.marks ? &*second.marks : nullptr);
    CellStore cells = first.Finish();
    if (context.read_in_halves != nullptr) {
      *context.read_in_halves = true;
    }
    return cells;
  }
  second = SecondHalf{};
  first.Run();
  return first.Finish();
}

}  // namespace ombrix::sheet::xlsx
