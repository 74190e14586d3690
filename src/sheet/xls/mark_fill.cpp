#include "sheet/xls/mark_fill.h"

#include "sheet/cell_edit.h"
#include "sheet/xls/biff_record_reader.h"

namespace ombrix::sheet::xls {
namespace {

constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint32_t kHasXfExt = 1u << 25;
constexpr std::uint32_t kSolidPattern = 1;

}  // namespace

bool IsMarkXf(Bytes xf) {
  if (xf.size() < 20) {
    return false;
  }
  // Bits 26..31 of the word at 14 hold the fill pattern; the low 7 bits at 18 its colour.
  const std::uint32_t fill = U32(xf, 14, "XF");
  const std::uint16_t colours = U16(xf, 18, "XF");
  return (fill >> 26) == kSolidPattern && (fill & kHasXfExt) == 0 &&
         (colours & 0x7F) == kMarkColourIndex;
}

std::vector<bool> MarkedXfs(Bytes stream, const WorkbookGlobals& globals) {
  std::vector<bool> out;
  BiffRecordReader reader(stream, 0);
  BiffRecord r;
  while (reader.Next(r) && r.offset < globals.eof_offset) {
    if (r.type == kXf) {
      out.push_back(IsMarkXf(r.body));
    }
  }
  return out;
}

}  // namespace ombrix::sheet::xls
