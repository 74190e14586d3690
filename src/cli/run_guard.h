#pragma once
// Exit statuses of the command line, and the one handler of every headless command.

#include <new>
#include <ostream>
#include <string>

#include "model/quoted_text.h"
#include "model/run_error.h"

namespace ombrix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRunError = 3;

// Runs `body`; a run-time error becomes the one line "error,<description>" on `out` and
// status 3. Whatever the body meant to print is printed only when it succeeds.
template <typename Body>
int RunHeadless(std::ostream& out, Body&& body) {
  std::string text;
  try {
    body(text);
  } catch (const RunError& e) {
    out << "error," << OneLine(e.what()) << '\n';
    return kExitRunError;
  } catch (const std::bad_alloc&) {
    out << "error,メモリが足りません: 処理に要るメモリを確保できないため中止しました。\n";
    return kExitRunError;
  }
  out << text;
  return kExitOk;
}

}  // namespace ombrix::cli
