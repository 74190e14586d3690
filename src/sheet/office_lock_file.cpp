#include "sheet/office_lock_file.h"

#include <fstream>
#include <iterator>

#include "model/run_error.h"

namespace ombrix::sheet {
namespace {

constexpr std::size_t kHolderLength = 80;

// `text` with control characters and invalid UTF-8 dropped, so that it fits in a one-line
// message.
std::string PrintableUtf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    }
    if (!valid) {
      ++i;
      continue;
    }
    if (length > 1 || (lead >= 0x20 && lead != 0x7F)) {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

// LibreOffice writes "Full Name,login,host,date,profile;"; the first four fields say who.
std::string LibreOfficeHolder(const std::filesystem::path& lock) {
  std::ifstream in(lock, std::ios::binary);
  std::string text;
  char c = 0;
  while (text.size() < 512 && in.get(c)) {
    text += c;
  }
  std::string fields[4];
  std::size_t field = 0;
  for (const char ch : text) {
    if (ch == ',' || ch == ';') {
      if (++field == 4 || ch == ';') {
        break;
      }
      continue;
    }
    fields[field] += ch;
  }
  for (std::string& f : fields) {
    f = PrintableUtf8(f);
  }
  std::string holder = fields[0];
  if (!fields[1].empty() || !fields[2].empty()) {
    holder += (holder.empty() ? "" : " ") + std::string("(") + fields[1] + "@" + fields[2] +
              (fields[3].empty() ? "" : ", " + fields[3]) + ")";
  }
  if (holder.size() > kHolderLength) {
    // Cut at a character boundary, never inside a UTF-8 sequence.
    std::size_t cut = kHolderLength;
    while (cut > 0 && (static_cast<unsigned char>(holder[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    holder = holder.substr(0, cut) + "…";
  }
  return holder;
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

std::optional<OfficeLock> FindOfficeLock(const std::filesystem::path& workbook) {
  const std::filesystem::path folder = workbook.parent_path();
  const std::string name = workbook.filename().string();
  const std::filesystem::path libreoffice = folder / (".~lock." + name + "#");
  if (Exists(libreoffice)) {
    return OfficeLock{libreoffice.string(), LibreOfficeHolder(libreoffice)};
  }
  const std::filesystem::path microsoft = folder / ("~$" + name);
  if (Exists(microsoft)) {
    return OfficeLock{microsoft.string(), {}};
  }
  return std::nullopt;
}

void RefuseWhileOpenElsewhere(const std::string& shown, const std::filesystem::path& workbook) {
  const std::optional<OfficeLock> lock = FindOfficeLock(workbook);
  if (!lock) {
    return;
  }
  throw RunError(err::kPathFileAccess,
                 "ファイル \"" + shown + "\" は別のプログラムで開かれているため書き込みません" +
                     (lock->holder.empty() ? "" : " (" + lock->holder + ")") +
                     "。そのプログラムでファイルを閉じてからやり直してください。開いていないのに"
                     "このメッセージが出るときは、ロックファイル \"" +
                     lock->path + "\" を削除してください。元のファイルはそのままです。");
}

}  // namespace ombrix::sheet
