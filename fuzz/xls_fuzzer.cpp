// libFuzzer harness of the .xls reader: any bytes must give a workbook or a RunError, never a
// crash, hang or leak.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/run_error.h"
#include "sheet/xls/xls_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    ombrix::sheet::ReadXlsBytes(bytes, "fuzz.xls");
  } catch (const ombrix::RunError&) {
  }
  return 0;
}
