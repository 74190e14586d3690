#pragma once
// Runs a call that must fail with error 321 and hands back the description to check.

#include <gtest/gtest.h>

#include <string>

#include "model/run_error.h"

namespace ombrix::sheet::xlsx::testing {

template <typename Fn>
std::string Error321(Fn fn) {
  try {
    fn();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kBadFileFormat) << e.description();
    return e.description();
  }
  ADD_FAILURE() << "no error";
  return {};
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace ombrix::sheet::xlsx::testing
