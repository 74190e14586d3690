#pragma once
// The path of a workbook under tests/fixtures (OMBRIX_FIXTURES_DIR is set per test target).

#include <string>

namespace ombrix::testing {

inline std::string Fixture(const std::string& name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
}

}  // namespace ombrix::testing
