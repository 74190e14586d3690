#include "sheet/xlsx/formula_shift.h"

#include <optional>

#include "sheet/xlsx/cell_ref.h"

namespace ombrix::sheet::xlsx {
namespace {

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$' || c == '\\' || c == '?';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// One side of a reference: a column, a row or both, each relative or absolute ($).
struct RefPart {
  std::int32_t col = 0;  // 0: none (a whole row)
  std::int32_t row = 0;  // 0: none (a whole column)
  bool col_absolute = false;
  bool row_absolute = false;
};

// "$B4", "B$4", "$C", "$7"; empty for anything else (names, numbers, "TRUE").
std::optional<RefPart> ParseRefPart(std::string_view text) {
  RefPart part;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') {
    part.col_absolute = true;
    ++i;
  }
  const std::size_t letters = i;
  while (i < text.size() && i - letters < 4 &&
         ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) {
    const char upper = static_cast<char>(text[i] & ~0x20);
    part.col = part.col * 26 + (upper - 'A' + 1);
    ++i;
  }
  if (i - letters > 3 || part.col > kMaxColumn) {
    return std::nullopt;
  }
  if (i == letters) {
    // No column: a row alone, whose only "$" belongs to the row.
    part.row_absolute = part.col_absolute;
    part.col_absolute = false;
  } else if (i < text.size() && text[i] == '$') {
    part.row_absolute = true;
    ++i;
  }
  if (i < text.size()) {
    const std::optional<std::int32_t> row = ParseRowNumber(text.substr(i));
    if (!row) {
      return std::nullopt;
    }
    part.row = *row;
  } else if (part.row_absolute || part.col == 0) {
    return std::nullopt;  // "$B$" or "$"
  }
  return part;
}

std::string ColumnLetters(std::int32_t col) {
  std::string letters;
  for (; col > 0; col = (col - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (col - 1) % 26));
  }
  return letters;
}

// The part moved, or empty when the move leaves the sheet.
std::optional<RefPart> Moved(RefPart part, std::int32_t rows, std::int32_t cols) {
  if (part.col != 0 && !part.col_absolute) {
    part.col += cols;
    if (part.col < 1 || part.col > kMaxColumn) {
      return std::nullopt;
    }
  }
  if (part.row != 0 && !part.row_absolute) {
    part.row += rows;
    if (part.row < 1 || part.row > kMaxRow) {
      return std::nullopt;
    }
  }
  return part;
}

void AppendPart(std::string& out, const RefPart& part) {
  if (part.col != 0) {
    out += part.col_absolute ? "$" : "";
    out += ColumnLetters(part.col);
  }
  if (part.row != 0) {
    out += part.row_absolute ? "$" : "";
    out += std::to_string(part.row);
  }
}

class Shifter {
 public:
  Shifter(std::string_view formula, std::int32_t rows, std::int32_t cols)
      : text_(formula), rows_(rows), cols_(cols) {}

  std::string Run() {
    out_.reserve(text_.size() + 8);
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '"') {
        CopyQuoted('"');
      } else if (c == '\'') {
        CopyQuoted('\'');  // a sheet name; its "!" follows as an ordinary character
      } else if (c == '[') {
        CopyBracketed();
      } else if (c == '#') {
        CopyErrorLiteral();
      } else if (IsWordChar(c)) {
        Word();
      } else {
        out_ += c;
        ++pos_;
      }
    }
    return std::move(out_);
  }

 private:
  // Text in quotes, a doubled quote standing for one; an unclosed quote runs to the end.
  void CopyQuoted(char quote) {
    const std::size_t begin = pos_++;
    while (pos_ < text_.size()) {
      if (text_[pos_] == quote) {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      ++pos_;
    }
    out_.append(text_.substr(begin, pos_ - begin));
  }
  // A structured reference or an external workbook's index, nested brackets included; "'"
  // escapes the next character inside.
  void CopyBracketed() {
    const std::size_t begin = pos_;
    int depth = 0;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '\'' && pos_ < text_.size()) {
        ++pos_;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']' && --depth == 0) {
        break;
      }
    }
    out_.append(text_.substr(begin, pos_ - begin));
  }
  // "#REF!", "#DIV/0!", "#N/A", "#NAME?".
  void CopyErrorLiteral() {
    const std::size_t begin = pos_++;
    while (pos_ < text_.size() && (IsWordChar(text_[pos_]) || text_[pos_] == '/')) {
      ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '!') {
      ++pos_;
    }
    out_.append(text_.substr(begin, pos_ - begin));
  }

  std::string_view ReadWord(std::size_t& at) const {
    const std::size_t begin = at;
    while (at < text_.size() && IsWordChar(text_[at])) {
      ++at;
    }
    return text_.substr(begin, at - begin);
  }
  char At(std::size_t at) const { return at < text_.size() ? text_[at] : '\0'; }

  void Word() {
    const bool numeric = IsDigit(text_[pos_]) || (text_[pos_] == '$' && IsDigit(At(pos_ + 1)));
    std::size_t end = pos_;
    if (numeric && !(text_[pos_] == '$')) {
      // A number ("1.5E+3") unless it is the first row of a row range ("3:5").
      while (IsDigit(At(end))) {
        ++end;
      }
      if (At(end) != ':' && At(end) != '$' && !IsWordChar(At(end))) {
        Copy(end);
        return;
      }
      if (At(end) != ':') {
        CopyNumber();
        return;
      }
    }
    end = pos_;
    const std::string_view first = ReadWord(end);
    const char next = At(end);
    if (next == '(' || next == '!' || next == '[') {
      Copy(end + (next == '!' ? 1 : 0));  // a function, a sheet or a table
      return;
    }
    const std::optional<RefPart> a = ParseRefPart(first);
    if (next == ':') {
      std::size_t second_end = end + 1;
      const std::string_view second = ReadWord(second_end);
      if (At(second_end) == '!') {
        Copy(second_end + 1);  // a span of sheets, "Jan:Mar!"
        return;
      }
      const std::optional<RefPart> b = ParseRefPart(second);
      if (a && b && SameKind(*a, *b) && At(second_end) != '(') {
        const std::optional<RefPart> ma = Moved(*a, rows_, cols_);
        const std::optional<RefPart> mb = Moved(*b, rows_, cols_);
        if (ma && mb) {
          AppendPart(out_, *ma);
          out_ += ':';
          AppendPart(out_, *mb);
        } else {
          out_ += "#REF!";
        }
        pos_ = second_end;
        return;
      }
    }
    if (a && a->col != 0 && a->row != 0) {
      const std::optional<RefPart> moved = Moved(*a, rows_, cols_);
      if (moved) {
        AppendPart(out_, *moved);
      } else {
        out_ += "#REF!";
      }
      pos_ = end;
      return;
    }
    if (numeric) {
      CopyNumber();
      return;
    }
    Copy(end);  // a name, TRUE, FALSE
  }

  // Cells with cells, whole columns with whole columns, whole rows with whole rows.
  static bool SameKind(const RefPart& a, const RefPart& b) {
    return (a.col != 0) == (b.col != 0) && (a.row != 0) == (b.row != 0);
  }

  void CopyNumber() {
    std::size_t end = pos_;
    while (IsDigit(At(end)) || At(end) == '.') {
      ++end;
    }
    if ((At(end) == 'E' || At(end) == 'e') &&
        (IsDigit(At(end + 1)) ||
         ((At(end + 1) == '+' || At(end + 1) == '-') && IsDigit(At(end + 2))))) {
      end += 2;
      while (IsDigit(At(end))) {
        ++end;
      }
    }
    Copy(std::max(end, pos_ + 1));
  }

  void Copy(std::size_t end) {
    out_.append(text_.substr(pos_, end - pos_));
    pos_ = end;
  }

  std::string_view text_;
  std::int32_t rows_;
  std::int32_t cols_;
  std::size_t pos_ = 0;
  std::string out_;
};

}  // namespace

std::string ShiftFormula(std::string_view formula, std::int32_t rows, std::int32_t cols) {
  return Shifter(formula, rows, cols).Run();
}

}  // namespace ombrix::sheet::xlsx
