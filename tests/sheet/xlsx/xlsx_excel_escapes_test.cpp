// _xHHHH_ escapes decoded the way Excel writes them.

#include "sheet/xlsx/excel_escapes.h"

#include <gtest/gtest.h>

#include <utility>

namespace ombrix::sheet::xlsx {
namespace {

TEST(DecodeExcelEscapes, EscapesDecodedNearMissesKeptSurrogatesJoinedOrReplaced) {
  const std::pair<const char*, const char*> cases[] = {{"a_x000D_b_x0009_c", "a\rb\tc"},
                                                       {"_x0041__x0042_", "AB"},
                                                       {"_x3042_", "\xE3\x81\x82"},
                                                       {"_x00e9_", "\xC3\xA9"},
                                                       {"_x005F_x0041_", "_x0041_"},
                                                       {"_x004_", "_x004_"},
                                                       {"_x00G1_", "_x00G1_"},
                                                       {"_X0041_", "_X0041_"},
                                                       {"_x0041", "_x0041"},
                                                       {"plain text", "plain text"},
                                                       {"_xD83D__xDE00_", "\xF0\x9F\x98\x80"},
                                                       {"_xD83D_x", "\xEF\xBF\xBDx"},
                                                       {"_xDE00_", "\xEF\xBF\xBD"}};
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(DecodeExcelEscapes(in), out) << in;
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
