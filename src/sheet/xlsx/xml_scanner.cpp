#include "sheet/xlsx/xml_scanner.h"

#include <charconv>
#include <cstdint>

#include "sheet/xlsx/excel_escapes.h"
#include "sheet/xlsx/xlsx_error.h"

namespace ombrix::sheet::xlsx {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameEnd(char c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<';
}

bool ValidXmlChar(char32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

}  // namespace

XmlScanner::XmlScanner(std::string_view xml, std::string path, std::string part)
    : xml_(xml), path_(std::move(path)), part_(std::move(part)) {
  if (xml_.starts_with("\xEF\xBB\xBF")) {
    pos_ = 3;
  } else if (xml_.size() >= 2 &&
             ((xml_[0] == '\xFE' && xml_[1] == '\xFF') ||
              (xml_[0] == '\xFF' && xml_[1] == '\xFE') || xml_[0] == '\0' || xml_[1] == '\0')) {
    Fail("UTF-16 で書かれたシートは読めません (UTF-8 で保存し直してください)");
  }
}

void XmlScanner::ResumeAt(std::size_t pos, std::vector<std::string_view> open) {
  pos_ = pos;
  open_ = std::move(open);
  seen_root_ = true;
  pending_end_ = false;
}

void XmlScanner::Fail(const std::string& what) const {
  ThrowBrokenPart(path_, part_, what + " (" + std::to_string(pos_) + " バイト目)");
}

void XmlScanner::SkipPast(std::string_view terminator, const char* what) {
  const std::size_t end = xml_.find(terminator, pos_);
  if (end == std::string_view::npos) {
    Fail(std::string(what) + " が閉じないまま終わっています");
  }
  pos_ = end + terminator.size();
}

XmlScanner::Event XmlScanner::Next() {
  if (pending_end_) {
    pending_end_ = false;
    name_ = open_.back();
    open_.pop_back();
    return Event::kEnd;
  }
  while (true) {
    if (pos_ >= xml_.size()) {
      if (!open_.empty()) {
        Fail("XML が途中で終わっています (<" + Excerpt(open_.back()) + "> が閉じていません)");
      }
      if (!seen_root_) {
        Fail("XML の要素がありません");
      }
      return Event::kEndOfDocument;
    }
    if (xml_[pos_] != '<') {
      std::size_t lt = xml_.find('<', pos_);
      if (lt == std::string_view::npos) {
        lt = xml_.size();
      }
      text_ = xml_.substr(pos_, lt - pos_);
      pos_ = lt;
      if (open_.empty()) {
        for (const char c : text_) {
          if (!IsSpace(c)) {
            Fail("XML の要素の外に文字があります");
          }
        }
        continue;
      }
      text_is_cdata_ = false;
      return Event::kText;
    }
    const std::string_view rest = xml_.substr(pos_);
    if (rest.starts_with("<?")) {
      SkipPast("?>", "処理命令");
      continue;
    }
    if (rest.starts_with("<!--")) {
      pos_ += 4;
      SkipPast("-->", "コメント");
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      if (open_.empty()) {
        Fail("XML の要素の外に CDATA があります");
      }
      const std::size_t begin = pos_ + 9;
      pos_ = begin;
      SkipPast("]]>", "CDATA");
      text_ = xml_.substr(begin, pos_ - 3 - begin);
      text_is_cdata_ = true;
      return Event::kText;
    }
    if (rest.starts_with("<!DOCTYPE")) {
      Fail("DOCTYPE 宣言を含んでいます (ブックの XML には現れません)");
    }
    if (rest.starts_with("<!")) {
      Fail("XML として読めない記述 \"" + Excerpt(rest, 12) + "\" があります");
    }
    if (rest.starts_with("</")) {
      pos_ += 2;
      const std::size_t begin = pos_;
      while (pos_ < xml_.size() && !IsNameEnd(xml_[pos_])) {
        ++pos_;
      }
      const std::string_view name = xml_.substr(begin, pos_ - begin);
      while (pos_ < xml_.size() && IsSpace(xml_[pos_])) {
        ++pos_;
      }
      if (pos_ >= xml_.size() || xml_[pos_] != '>') {
        Fail("終了タグ </" + Excerpt(name) + "> が閉じていません");
      }
      ++pos_;
      if (open_.empty() || open_.back() != name) {
        Fail("終了タグ </" + Excerpt(name) + "> が開始タグと対応していません");
      }
      open_.pop_back();
      name_ = name;
      return Event::kEnd;
    }
    ParseStartTag();
    return Event::kStart;
  }
}

void XmlScanner::ParseStartTag() {
  ++pos_;  // '<'
  const std::size_t begin = pos_;
  while (pos_ < xml_.size() && !IsNameEnd(xml_[pos_])) {
    ++pos_;
  }
  name_ = xml_.substr(begin, pos_ - begin);
  if (name_.empty()) {
    Fail("要素名のないタグがあります");
  }
  if (open_.empty() && seen_root_) {
    Fail("XML の根の要素が 2 つ以上あります");
  }
  if (open_.size() >= kMaxDepth) {
    Fail("要素の入れ子が深すぎます");
  }
  seen_root_ = true;
  attributes_.clear();
  while (true) {
    while (pos_ < xml_.size() && IsSpace(xml_[pos_])) {
      ++pos_;
    }
    if (pos_ >= xml_.size()) {
      Fail("タグ <" + Excerpt(name_) + "> が閉じないまま終わっています");
    }
    const char c = xml_[pos_];
    if (c == '>') {
      ++pos_;
      open_.push_back(name_);
      return;
    }
    if (c == '/') {
      if (pos_ + 1 >= xml_.size() || xml_[pos_ + 1] != '>') {
        Fail("タグ <" + Excerpt(name_) + "> の \"/\" の後に \">\" がありません");
      }
      pos_ += 2;
      open_.push_back(name_);
      pending_end_ = true;
      return;
    }
    const std::size_t attr_begin = pos_;
    while (pos_ < xml_.size() && !IsNameEnd(xml_[pos_])) {
      ++pos_;
    }
    const std::string_view attr_name = xml_.substr(attr_begin, pos_ - attr_begin);
    while (pos_ < xml_.size() && IsSpace(xml_[pos_])) {
      ++pos_;
    }
    if (attr_name.empty() || pos_ >= xml_.size() || xml_[pos_] != '=') {
      Fail("タグ <" + Excerpt(name_) + "> の属性が読めません");
    }
    ++pos_;
    while (pos_ < xml_.size() && IsSpace(xml_[pos_])) {
      ++pos_;
    }
    if (pos_ >= xml_.size() || (xml_[pos_] != '"' && xml_[pos_] != '\'')) {
      Fail("タグ <" + Excerpt(name_) + "> の属性 " + Excerpt(attr_name) +
           " の値が引用符で囲まれていません");
    }
    const char quote = xml_[pos_++];
    const std::size_t value_end = xml_.find(quote, pos_);
    if (value_end == std::string_view::npos) {
      Fail("タグ <" + Excerpt(name_) + "> の属性 " + Excerpt(attr_name) + " の値が閉じていません");
    }
    attributes_.push_back({attr_name, xml_.substr(pos_, value_end - pos_)});
    pos_ = value_end + 1;
  }
}

void XmlScanner::AppendText(std::string& out) const {
  Decode(out, text_, text_is_cdata_);
}

void XmlScanner::AppendAttribute(std::string& out, std::string_view raw_value) const {
  Decode(out, raw_value, false);
}

void XmlScanner::Decode(std::string& out, std::string_view raw, bool is_cdata) const {
  if (raw.find_first_of(is_cdata ? "\r" : "&\r") == std::string_view::npos) {
    out.append(raw);
    return;
  }
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\r') {
      out += '\n';  // XML reads CR LF and a lone CR as LF
      if (i + 1 < raw.size() && raw[i + 1] == '\n') {
        ++i;
      }
      continue;
    }
    if (c != '&' || is_cdata) {
      out += c;
      continue;
    }
    const std::size_t semi = raw.find(';', i);
    if (semi == std::string_view::npos || semi - i > 12) {
      Fail("文字参照 \"" + Excerpt(raw.substr(i), 12) + "\" が閉じていません");
    }
    const std::string_view ref = raw.substr(i + 1, semi - i - 1);
    if (ref == "lt") {
      out += '<';
    } else if (ref == "gt") {
      out += '>';
    } else if (ref == "amp") {
      out += '&';
    } else if (ref == "quot") {
      out += '"';
    } else if (ref == "apos") {
      out += '\'';
    } else if (ref.size() >= 2 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      std::uint32_t cp = 0;
      const auto [end, ec] =
          std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
      if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
          !ValidXmlChar(cp)) {
        Fail("文字参照 \"&" + Excerpt(ref) + ";\" が不正です");
      }
      AppendUtf8(out, cp);
    } else {
      // Only the predefined entities exist: no document type can declare more.
      Fail("未定義の実体参照 \"&" + Excerpt(ref) + ";\" があります");
    }
    i = semi;
  }
}

}  // namespace ombrix::sheet::xlsx
