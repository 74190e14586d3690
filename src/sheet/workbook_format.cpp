#include "sheet/workbook_format.h"

#include <algorithm>
#include <array>

#include "model/run_error.h"
#include "sheet/refusal_reasons.h"

namespace ombrix::sheet {
namespace {

constexpr std::array<std::uint8_t, 8> kOle2Magic = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A BOF record at the very start: BIFF2 (0x0009), BIFF3 (0x0209) and BIFF4 (0x0409) stand
// alone; BIFF5 (0x0809, version 0x0500) normally lives in a compound file but was also written
// bare. The record's length must be a BOF's too, so a text file starting with a tab is not
// taken for one.
bool IsBareOldBiff(std::span<const std::uint8_t> head) {
  if (head.size() < 6) {
    return false;
  }
  const std::uint16_t type = Le16(head, 0);
  const std::uint16_t length = Le16(head, 2);
  if (type == 0x0009 || type == 0x0209 || type == 0x0409) {
    return length >= 4 && length <= 16;
  }
  return type == 0x0809 && length >= 8 && length <= 20 && Le16(head, 4) <= 0x0500;
}

bool IsOle2(std::span<const std::uint8_t> head) {
  return head.size() >= kOle2Magic.size() &&
         std::equal(kOle2Magic.begin(), kOle2Magic.end(), head.begin());
}

bool IsZip(std::span<const std::uint8_t> head) {
  return head.size() >= 4 && head[0] == 'P' && head[1] == 'K' &&
         ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
}

}  // namespace

bool StartsLikeWorkbook(std::span<const std::uint8_t> head) {
  return IsOle2(head) || IsZip(head) || IsBareOldBiff(head);
}

WorkbookFormat RecognizeWorkbook(std::span<const std::uint8_t> head, const std::string& path) {
  if (head.empty()) {
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" は空で、ブックではありません。");
  }
  if (IsOle2(head)) {
    return WorkbookFormat::kXls;
  }
  if (IsZip(head)) {
    return WorkbookFormat::kXlsx;
  }
  if (IsBareOldBiff(head)) {
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path + "\" は読み込めません: " + reason::kExcel2To95);
  }
  throw RunError(
      err::kBadFileFormat,
      "ファイル \"" + path + "\" は Excel のブック (.xls または .xlsx) ではありません。");
}

}  // namespace ombrix::sheet
