#include "sheet/xlsx/sheet_patch.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "model/run_error.h"
#include "platform/workbook.h"
#include "sheet/xlsx/cell_number.h"
#include "sheet/xlsx/formula_shift.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_scanner.h"

namespace ombrix::sheet::xlsx {
namespace {

enum class Place : std::uint8_t { kOther, kWorksheet, kSheetData, kRow, kCell, kFormula };

std::string_view Local(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// "x:" for "x:row", "" for "row".
std::string_view Prefix(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon + 1);
}

// A range as written in a ref attribute ("B7:E7", or "C10" for one cell), corners ordered.
struct CellRange {
  CellRef first;
  CellRef last;
  bool Contains(std::int32_t row, std::int32_t col) const {
    return row >= first.row && row <= last.row && col >= first.col && col <= last.col;
  }
  bool SingleCell() const { return first.row == last.row && first.col == last.col; }
};

std::optional<CellRange> ParseRange(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::optional<CellRef> a = ParseCellRef(text.substr(0, colon));
  const std::optional<CellRef> b =
      colon == std::string_view::npos ? a : ParseCellRef(text.substr(colon + 1));
  if (!a || !b) {
    return std::nullopt;
  }
  return CellRange{{std::min(a->row, b->row), std::min(a->col, b->col)},
                   {std::max(a->row, b->row), std::max(a->col, b->col)}};
}

std::string RangeName(const CellRange& range) {
  if (range.SingleCell()) {
    return CellName(range.first.row, range.first.col);
  }
  return CellName(range.first.row, range.first.col) + ":" +
         CellName(range.last.row, range.last.col);
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      default:
        out += c;
    }
  }
}

// A shared formula whose first cell was overwritten: its text, where it was stored, and the
// cell that now stores it for the rest of the range.
struct MovedGroup {
  std::string formula;
  CellRef anchor;
  CellRange range;
  std::optional<CellRange> new_range;
};

// A multi-cell array formula or data table: its cells change only together.
struct Block {
  CellRange range;
  bool table = false;
};

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

class Patcher {
 public:
  Patcher(std::string_view xml, const std::vector<CellEdit>& edits,
          const std::function<std::uint32_t(std::uint32_t)>& marked_style, const std::string& path,
          const std::string& part)
      : xml_(xml),
        edits_(edits),
        marked_style_(marked_style),
        scanner_(xml, path, part),
        path_(path) {}

  SheetPatchResult Run() {
    result_.xml.reserve(xml_.size() + xml_.size() / 8 + edits_.size() * 40);
    std::vector<Place> places;
    places.reserve(16);
    while (true) {
      const XmlScanner::Event event = scanner_.Next();
      if (event == XmlScanner::Event::kEndOfDocument) {
        break;
      }
      if (event == XmlScanner::Event::kText) {
        if (capturing_formula_) {
          scanner_.AppendText(captured_formula_);
        }
        continue;
      }
      if (event == XmlScanner::Event::kEnd) {
        if (skip_next_end_) {
          skip_next_end_ = false;
        } else {
          OnEnd(places.back());
        }
        places.pop_back();
        continue;
      }
      const std::string_view local = Local(scanner_.name());
      Place place = Place::kOther;
      if (places.empty()) {
        if (local != "worksheet") {
          scanner_.Fail("ワークシートではありません (根の要素が " + Excerpt(scanner_.name()) + ")");
        }
        place = Place::kWorksheet;
      } else {
        switch (places.back()) {
          case Place::kWorksheet:
            if (local == "sheetData") {
              place = Place::kSheetData;
            } else if (local == "dimension") {
              OnDimension();
            }
            break;
          case Place::kSheetData:
            place = local == "row" ? Place::kRow : Place::kOther;
            break;
          case Place::kRow:
            place = local == "c" ? Place::kCell : Place::kOther;
            break;
          case Place::kCell:
            place = local == "f" ? Place::kFormula : Place::kOther;
            break;
          default:
            break;
        }
      }
      places.push_back(place);
      OnStart(place);
    }
    if (next_ < edits_.size()) {
      scanner_.Fail("セルを書き込む sheetData 要素がありません");
    }
    CopyTo(xml_.size());
    return std::move(result_);
  }

 private:
  std::size_t TagBegin() const {
    return static_cast<std::size_t>(scanner_.name().data() - xml_.data()) - 1;
  }
  bool SelfClosing() const {
    const std::size_t end = scanner_.position();
    return end >= 2 && xml_[end - 2] == '/';
  }
  void CopyTo(std::size_t end) {
    result_.xml.append(xml_.substr(copied_, end - copied_));
    copied_ = end;
  }
  void SkipTo(std::size_t end) { copied_ = end; }

  std::optional<std::string_view> Attribute(std::string_view local) const {
    for (const XmlScanner::Attribute& a : scanner_.attributes()) {
      if (Local(a.name) == local && !a.name.starts_with("xmlns")) {
        return a.raw_value;
      }
    }
    return std::nullopt;
  }
  std::string Decoded(std::string_view raw) const {
    std::string out;
    scanner_.AppendAttribute(out, raw);
    return std::string(TrimXmlSpace(out));
  }

  // The start tag just read, without the attributes named in `drop`, with extra text before
  // its end; `close` ends it with "/>" instead of ">".
  void AppendStartTag(std::initializer_list<std::string_view> drop, std::string_view extra,
                      bool close) {
    std::string& out = result_.xml;
    out += '<';
    out.append(scanner_.name());
    for (const XmlScanner::Attribute& a : scanner_.attributes()) {
      if (!a.name.starts_with("xmlns") &&
          std::find(drop.begin(), drop.end(), Local(a.name)) != drop.end()) {
        continue;
      }
      const char quote = a.raw_value.data()[-1];
      out += ' ';
      out.append(a.name);
      out += '=';
      out += quote;
      out.append(a.raw_value);
      out += quote;
    }
    out.append(extra);
    out.append(close ? "/>" : ">");
  }

  std::string StyleAttribute(std::uint32_t original) const {
    return " s=\"" + std::to_string(marked_style_(original)) + "\"";
  }

  void AppendNewCell(const CellEdit& edit) {
    if (edit.value) {
      RefuseBlockCell(edit.row, edit.col);
    }
    std::string& out = result_.xml;
    out += '<';
    out.append(prefix_);
    out.append("c r=\"");
    out.append(CellName(edit.row, edit.col));
    out += '"';
    if (edit.mark) {
      out.append(StyleAttribute(0));
    }
    if (edit.value) {
      AppendValue(*edit.value);
      out.append("</");
      out.append(prefix_);
      out.append("c>");
    } else {
      out.append("/>");
    }
  }
  // ">" then the value element.
  void AppendValue(double value) {
    std::string& out = result_.xml;
    out.append("><");
    out.append(prefix_);
    out.append("v>");
    AppendNumber(out, value);
    out.append("</");
    out.append(prefix_);
    out.append("v>");
  }
  void AppendCellsOfRow(std::int32_t row, std::int32_t before_col) {
    while (next_ < edits_.size() && edits_[next_].row == row && edits_[next_].col < before_col) {
      AppendNewCell(edits_[next_++]);
    }
  }
  void AppendRowsBefore(std::int32_t before_row) {
    while (next_ < edits_.size() && edits_[next_].row < before_row) {
      const std::int32_t row = edits_[next_].row;
      std::string& out = result_.xml;
      out += '<';
      out.append(prefix_);
      out.append("row r=\"");
      out.append(std::to_string(row));
      out.append("\">");
      AppendCellsOfRow(row, kMaxColumn + 1);
      out.append("</");
      out.append(prefix_);
      out.append("row>");
    }
  }

  void OnDimension() {
    const std::optional<std::string_view> raw = Attribute("ref");
    if (!raw || edits_.empty()) {
      return;
    }
    const std::string ref = Decoded(*raw);
    const std::size_t colon = ref.find(':');
    const std::optional<CellRef> first = ParseCellRef(ref.substr(0, colon));
    const std::optional<CellRef> last =
        colon == std::string::npos ? first : ParseCellRef(ref.substr(colon + 1));
    if (!first || !last) {
      return;  // a range no one can read is left for the application to recompute
    }
    CellRef low{std::min(first->row, last->row), std::min(first->col, last->col)};
    CellRef high{std::max(first->row, last->row), std::max(first->col, last->col)};
    const CellRef old_low = low;
    const CellRef old_high = high;
    for (const CellEdit& e : edits_) {
      low = {std::min(low.row, e.row), std::min(low.col, e.col)};
      high = {std::max(high.row, e.row), std::max(high.col, e.col)};
    }
    if (low.row == old_low.row && low.col == old_low.col && high.row == old_high.row &&
        high.col == old_high.col) {
      return;
    }
    CopyTo(TagBegin());
    AppendStartTag(
        {"ref"}, " ref=\"" + CellName(low.row, low.col) + ":" + CellName(high.row, high.col) + "\"",
        SelfClosing());
    SkipTo(scanner_.position());
  }

  void OnStart(Place place) {
    switch (place) {
      case Place::kSheetData:
        prefix_ = Prefix(scanner_.name());
        seen_sheet_data_ = true;
        if (SelfClosing() && next_ < edits_.size()) {
          CopyTo(TagBegin());
          AppendStartTag({}, "", false);
          AppendRowsBefore(kMaxRow + 1);
          result_.xml.append("</");
          result_.xml.append(scanner_.name());
          result_.xml += '>';
          SkipTo(scanner_.position());
          skip_next_end_ = true;
        }
        break;
      case Place::kRow:
        StartRow();
        break;
      case Place::kCell:
        StartCell();
        break;
      case Place::kFormula:
        StartFormula();
        break;
      default:
        break;
    }
  }

  void OnEnd(Place place) {
    switch (place) {
      case Place::kSheetData:
        if (!SelfClosingEnd()) {
          CopyTo(TagBegin() - 1);  // before "</"
        }
        AppendRowsBefore(kMaxRow + 1);
        break;
      case Place::kRow:
        if (!SelfClosingEnd()) {
          CopyTo(TagBegin() - 1);
        }
        AppendCellsOfRow(row_, kMaxColumn + 1);
        break;
      case Place::kCell:
        if (replacing_cell_) {
          replacing_cell_ = false;
          if (cell_had_formula_) {
            result_.removed_formulas.push_back({row_, col_});
          }
          SkipTo(scanner_.position());
        }
        break;
      case Place::kFormula:
        if (capturing_formula_) {
          capturing_formula_ = false;
          moved_groups_[captured_group_] =
              MovedGroup{std::move(captured_formula_), {row_, col_}, captured_range_, std::nullopt};
          captured_formula_.clear();
        }
        if (dropping_formula_) {
          dropping_formula_ = false;
          SkipTo(scanner_.position());
        }
        break;
      default:
        break;
    }
  }
  // An end event that closes a self-closing tag consumed nothing of its own.
  bool SelfClosingEnd() const {
    const std::size_t begin = TagBegin();
    return !(begin >= 1 && xml_[begin - 1] == '<' && xml_[begin] == '/');
  }

  void StartRow() {
    const std::size_t begin = TagBegin();
    std::int32_t row = row_ + 1;
    if (const std::optional<std::string_view> raw = Attribute("r")) {
      const std::string text = Decoded(*raw);
      const std::optional<std::int32_t> parsed = ParseRowNumber(text);
      if (!parsed) {
        scanner_.Fail("行番号 r=\"" + Excerpt(text) + "\" が 1 から " + std::to_string(kMaxRow) +
                      " の整数ではありません");
      }
      row = *parsed;
    }
    if (row <= row_ || row > kMaxRow) {
      scanner_.Fail(
          std::to_string(row) +
          " 行目が前の行より後に置かれていません (行の順が乱れたシートには書き込めません)");
    }
    CopyTo(begin);
    AppendRowsBefore(row);
    row_ = row;
    col_ = 0;
    const bool has_edits = next_ < edits_.size() && edits_[next_].row == row;
    const std::string spans = has_edits ? WiderSpans() : std::string();
    if (!spans.empty()) {
      AppendStartTag({"spans"}, spans, SelfClosing() && !has_edits);
      SkipTo(scanner_.position());
    }
    if (SelfClosing() && has_edits) {
      if (spans.empty()) {
        AppendStartTag({}, "", false);
      }
      AppendCellsOfRow(row, kMaxColumn + 1);
      result_.xml.append("</");
      result_.xml.append(scanner_.name());
      result_.xml += '>';
      SkipTo(scanner_.position());
      skip_next_end_ = true;
    }
  }

  // The row's " spans=..." grown to cover the columns about to be written in it, or "" when
  // the row states none (or a list of ranges) or already covers them.
  std::string WiderSpans() const {
    const std::optional<std::string_view> raw = Attribute("spans");
    if (!raw) {
      return {};
    }
    const std::string text = Decoded(*raw);
    const std::size_t colon = text.find(':');
    std::int32_t low = 0;
    std::int32_t high = 0;
    if (colon == std::string::npos ||
        std::from_chars(text.data(), text.data() + colon, low).ptr != text.data() + colon ||
        std::from_chars(text.data() + colon + 1, text.data() + text.size(), high).ptr !=
            text.data() + text.size()) {
      return {};
    }
    const std::int32_t old_low = low;
    const std::int32_t old_high = high;
    for (std::size_t i = next_; i < edits_.size() && edits_[i].row == row_; ++i) {
      low = std::min(low, edits_[i].col);
      high = std::max(high, edits_[i].col);
    }
    if (low == old_low && high == old_high) {
      return {};
    }
    return " spans=\"" + std::to_string(low) + ":" + std::to_string(high) + "\"";
  }

  void StartCell() {
    const std::size_t begin = TagBegin();
    std::int32_t col = col_ + 1;
    if (const std::optional<std::string_view> raw = Attribute("r")) {
      const std::string text = Decoded(*raw);
      const std::optional<CellRef> ref = ParseCellRef(text);
      if (!ref) {
        scanner_.Fail("セル参照 r=\"" + Excerpt(text) + "\" が読めません");
      }
      if (ref->row != row_) {
        scanner_.Fail("セル " + Excerpt(text) + " が " + std::to_string(row_) +
                      " 行目の行要素の中にあります");
      }
      col = ref->col;
    }
    if (row_ == 0) {
      scanner_.Fail("行要素の外にセルがあります");
    }
    if (col <= col_ || col > kMaxColumn) {
      scanner_.Fail("セル " + CellName(row_, std::min(col, kMaxColumn)) +
                    " が前のセルより後に置かれていません (セルの順が乱れた行には書き込めません)");
    }
    CopyTo(begin);
    AppendCellsOfRow(row_, col);
    col_ = col;
    cell_had_formula_ = false;
    if (next_ >= edits_.size() || edits_[next_].row != row_ || edits_[next_].col != col) {
      return;
    }
    const CellEdit& edit = edits_[next_++];
    if (edit.value) {
      RefuseBlockCell(row_, col);  // a mark alone changes the look, not the array
    }
    std::string style;
    if (edit.mark) {
      std::uint32_t original = 0;
      if (const std::optional<std::string_view> raw = Attribute("s")) {
        const std::string text = Decoded(*raw);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), original);
        if (ec != std::errc() || end != text.data() + text.size()) {
          scanner_.Fail("セル " + CellName(row_, col) + " の書式番号 s=\"" + Excerpt(text) +
                        "\" が整数ではありません");
        }
      }
      style = StyleAttribute(original);
    }
    if (!edit.value) {
      AppendStartTag({"s"}, style, SelfClosing());
      SkipTo(scanner_.position());
      return;
    }
    // The value replaces whatever the cell held: its type, formula and inline text go, and so do
    // the metadata that belonged to them.
    const std::string_view saved_prefix = prefix_;
    prefix_ = Prefix(scanner_.name());
    AppendStartTag({"t", "cm", "vm", edit.mark ? "s" : ""}, style, false);
    result_.xml.pop_back();  // AppendValue writes the ">"
    AppendValue(*edit.value);
    result_.xml.append("</");
    result_.xml.append(scanner_.name());
    result_.xml += '>';
    prefix_ = saved_prefix;
    SkipTo(scanner_.position());
    replacing_cell_ = true;
  }

  // Part of an array or a table cannot be changed alone; a spreadsheet application refuses it
  // too, so the write is refused before anything is saved.
  [[noreturn]] void RefuseBlock(std::int32_t row, std::int32_t col, const Block& block) const {
    throw RunError(err::kBadFileFormat, "ファイル \"" + path_ + "\" のセル " + CellName(row, col) +
                                            " に書き込めません: " + RangeName(block.range) +
                                            (block.table ? " のデータテーブル" : " の配列数式") +
                                            "の一部です (範囲の一部だけは変えられません)");
  }
  void RefuseBlockCell(std::int32_t row, std::int32_t col) {
    // Edits come row by row: blocks that end above this row can hold no later edit either.
    std::erase_if(blocks_, [&](const Block& block) { return block.range.last.row < row; });
    for (const Block& block : blocks_) {
      if (block.range.Contains(row, col)) {
        RefuseBlock(row, col, block);
      }
    }
  }

  void StartFormula() {
    const std::optional<std::string_view> t_raw = Attribute("t");
    const std::string type = t_raw ? Decoded(*t_raw) : std::string();
    const std::optional<std::string_view> ref_raw = Attribute("ref");
    const std::optional<CellRange> range =
        ref_raw ? ParseRange(Decoded(*ref_raw)) : std::optional<CellRange>();
    if ((type == "array" || type == "dataTable") && range && !range->SingleCell()) {
      const Block block{*range, type == "dataTable"};
      if (replacing_cell_) {
        RefuseBlock(row_, col_, block);
      }
      blocks_.push_back(block);
      return;
    }
    const std::optional<std::string_view> si_raw = Attribute("si");
    if (type != "shared" || !si_raw) {
      if (replacing_cell_) {
        cell_had_formula_ = true;
      }
      return;
    }
    const std::string si = Decoded(*si_raw);
    if (replacing_cell_) {
      cell_had_formula_ = true;
      if (range) {
        // The other cells of the range read their formula from this one: keep its text.
        capturing_formula_ = true;
        captured_group_ = si;
        captured_range_ = *range;
      }
      return;
    }
    const auto group = moved_groups_.find(si);
    if (group == moved_groups_.end() || range) {
      return;
    }
    MovedGroup& g = group->second;
    const std::string formula = ShiftFormula(g.formula, row_ - g.anchor.row, col_ - g.anchor.col);
    const std::string_view prefix = Prefix(scanner_.name());
    std::string attributes;
    if (!g.new_range) {
      // The first remaining cell of the range stores the formula for the cells after it.
      g.new_range = CellRange{{row_, col_}, g.range.last};
      attributes = " ref=\"" + RangeName(*g.new_range) + "\"";
    } else if (g.new_range->Contains(row_, col_)) {
      return;
    }
    // A cell the moved range no longer covers gets the formula as its own.
    CopyTo(TagBegin());
    std::string& out = result_.xml;
    if (!attributes.empty()) {
      AppendStartTag({"ref"}, attributes, false);
    } else {
      AppendStartTag({"t", "si", "ref"}, "", false);
    }
    AppendEscaped(out, formula);
    out.append("</");
    out.append(prefix);
    out.append("f>");
    SkipTo(scanner_.position());
    dropping_formula_ = true;
  }

  std::string_view xml_;
  const std::vector<CellEdit>& edits_;
  const std::function<std::uint32_t(std::uint32_t)>& marked_style_;
  XmlScanner scanner_;
  std::string path_;
  SheetPatchResult result_;
  std::size_t copied_ = 0;
  std::size_t next_ = 0;  // the first edit not yet written
  std::string_view prefix_;
  std::int32_t row_ = 0;
  std::int32_t col_ = 0;
  bool seen_sheet_data_ = false;
  bool skip_next_end_ = false;
  bool replacing_cell_ = false;
  bool cell_had_formula_ = false;
  bool dropping_formula_ = false;
  bool capturing_formula_ = false;
  std::string captured_formula_;
  std::string captured_group_;
  CellRange captured_range_;
  std::map<std::string, MovedGroup> moved_groups_;
  std::vector<Block> blocks_;
};

}  // namespace

SheetPatchResult PatchSheet(std::string_view xml, const std::vector<CellEdit>& edits,
                            const std::function<std::uint32_t(std::uint32_t)>& marked_style,
                            const std::string& path, const std::string& part) {
  return Patcher(xml, edits, marked_style, path, part).Run();
}

}  // namespace ombrix::sheet::xlsx
