#include "model/quoted_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

namespace ombrix {
namespace {

TEST(QuotedText, BreaksControlsAndInvalidUtf8AreReplacedByteByByteAndValidSequencesKept) {
  EXPECT_EQ(QuotedText("a\r\nb\nc\rd\r\r\ne"), "a↵b↵c↵d↵↵e");
  EXPECT_EQ(QuotedText("x\u2028y\u2029z\u0085w"), "x↵y↵z↵w");
  EXPECT_EQ(QuotedText("tab\there"), "tab here");
  EXPECT_EQ(QuotedText(std::string("nul\0bel\7del\177", 12)), "nul\uFFFDbel\uFFFDdel\uFFFD");
  EXPECT_EQ(QuotedText("a\377b"), "a\uFFFDb");
  EXPECT_EQ(QuotedText("\xe3\x81"), "\uFFFD\uFFFD");                      // cut short at the end
  EXPECT_EQ(QuotedText("\xc0\xaf"), "\uFFFD\uFFFD");                      // overlong '/'
  EXPECT_EQ(QuotedText("\xed\xa0\x80"), "\uFFFD\uFFFD\uFFFD");            // a surrogate
  EXPECT_EQ(QuotedText("\xf4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(QuotedText("\343\201A"), "\uFFFD\uFFFDA");
  EXPECT_EQ(QuotedText("\U0001F600\u00e9"), "\U0001F600\u00e9");
}

TEST(QuotedText, CutAfterSixtyCharactersNotBytes) {
  const std::string sixty(60, 'x');
  EXPECT_EQ(QuotedText(sixty), sixty);
  EXPECT_EQ(QuotedText(sixty + "y"), sixty + "…");
  std::string kana;
  for (int k = 0; k < 70; ++k)
    kana += "あ";
  EXPECT_EQ(QuotedText(kana), kana.substr(0, 60 * 3) + "…");
  EXPECT_EQ(QuotedText(sixty + "\n"), sixty + "…");  // a break counts as a character
  EXPECT_EQ(QuotedText("abcdef", 3), "abc…");
  EXPECT_EQ(OneLine(kana + "\n" + kana), kana + "↵" + kana);
}

TEST(QuotedText, AnyBytesComeOutAsOneValidLine) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 2000; ++round) {
    std::string s(static_cast<std::size_t>(round % 90), '\0');
    for (char& c : s)
      c = static_cast<char>(byte(random));
    const std::string q = QuotedText(s);
    // The C library reads it as well-formed UTF-8 up to its end, where the only NUL is.
    EXPECT_NE(std::mbstowcs(nullptr, q.c_str(), 0), static_cast<std::size_t>(-1)) << round;
    EXPECT_EQ(q.find_first_of(std::string_view("\r\n\0", 3)), std::string::npos) << round;
  }
}

}  // namespace
}  // namespace ombrix
