#pragma once
// Helpers of the .xls tests: BIFF8 records built byte by byte, compound files, fixtures.

#include <freexl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fakes/temp_folder.h"
#include "platform/workbook.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/xls_format_error.h"
#include "sheet/xlsx/cell_value_printer.h"

namespace ombrix::sheet::xls::testing {

using ByteVec = std::vector<std::uint8_t>;

inline std::string Fixture(const std::string& name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
}

// The .xls files of the fixtures folder that are not meant to be broken, in name order.
inline std::vector<std::string> XlsFixtures() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(OMBRIX_FIXTURES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".xls" && !name.starts_with("broken_"))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline ByteVec ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  return ByteVec(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const ByteVec& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A workbook as FreeXL, an independent reader, sees it; `h` stays null when FreeXL cannot open
// it (1.0.6 answers OK with a null handle for some files it refuses).
class FreeXlBook {
 public:
  explicit FreeXlBook(const std::string& path) { Open(path); }
  explicit FreeXlBook(const ByteVec& bytes) {
    WriteFile(folder_ / "book.xls", bytes);
    Open(folder_ / "book.xls");
  }
  ~FreeXlBook() {
    if (h != nullptr)
      freexl_close(h);
  }
  FreeXlBook(const FreeXlBook&) = delete;
  FreeXlBook& operator=(const FreeXlBook&) = delete;

  bool Select(unsigned short sheet) const {
    return h != nullptr && freexl_select_active_worksheet(h, sheet) == FREEXL_OK;
  }
  // The cell at (row, col), from 1, of the selected sheet.
  bool Get(int row, int col, FreeXL_CellValue& v) const {
    return freexl_get_cell_value(h, row - 1, static_cast<unsigned short>(col - 1), &v) == FREEXL_OK;
  }

  const void* h = nullptr;
  int code = FREEXL_OK;  // what opening answered

 private:
  void Open(const std::string& path) {
    code = freexl_open(path.c_str(), &h);
    if (code != FREEXL_OK && h != nullptr)
      freexl_close(std::exchange(h, nullptr));
  }
  ombrix::testing::TempFolder folder_;
};

// The cells named in `refs` ("A1 B2") printed whole, one space apart, for one comparison.
inline std::string Cells(const Workbook& book, const std::string& refs) {
  std::istringstream in(refs);
  std::string out;
  for (std::string ref; in >> ref;)
    out += (out.empty() ? "" : " ") + ::testing::PrintToString(xlsx::testing::At(book, ref));
  return out;
}

// The message of the XlsFormatError `fn` must throw for a broken file.
template <typename Fn>
std::string BrokenError(Fn fn) {
  try {
    fn();
  } catch (const XlsFormatError& e) {
    EXPECT_EQ(e.kind(), XlsFormatError::Kind::kBroken) << e.what();
    return e.what();
  }
  ADD_FAILURE() << "no error";
  return {};
}

// Little-endian byte appenders.
struct Le {
  ByteVec b;
  Le& u8(std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Le& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
  Le& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
  Le& f64(double d) {
    const auto bits = std::bit_cast<std::uint64_t>(d);
    return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
  }
  Le& bytes(const ByteVec& v) {
    b.insert(b.end(), v.begin(), v.end());
    return *this;
  }
  Le& latin1(const std::string& s) {  // each char one byte
    for (unsigned char c : s)
      u8(c);
    return *this;
  }
  Le& utf16(const std::u16string& s) {
    for (char16_t c : s)
      u16(c);
    return *this;
  }
};

// Little-endian fields of a stream or a record body, read back.
template <typename B>
std::uint16_t G16(const B& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
template <typename B>
std::uint32_t G32(const B& b, std::size_t at) {
  return G16(b, at) | (static_cast<std::uint32_t>(G16(b, at + 2)) << 16);
}

// A record and its CONTINUE pieces as the record layer hands them over.
inline std::vector<BiffSegment> Segments(const std::vector<ByteVec>& pieces) {
  std::vector<BiffSegment> out;
  for (const ByteVec& p : pieces)
    out.push_back({0, Bytes(p)});
  return out;
}

// A record: header (type, length) + body.
inline ByteVec Record(std::uint16_t type, const ByteVec& body) {
  return Le().u16(type).u16(static_cast<std::uint32_t>(body.size())).bytes(body).b;
}

inline ByteVec Bof(std::uint16_t substream, std::uint16_t version = 0x0600) {
  return Record(0x0809, Le().u16(version).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).b);
}
inline ByteVec Eof() {
  return Record(0x000A, {});
}

inline ByteVec Window1(std::uint16_t itab_cur) {
  Le b;
  b.u16(0).u16(0).u16(0x4000).u16(0x3000).u16(0x38).u16(itab_cur).u16(0).u16(1).u16(600);
  return Record(0x003D, b.b);
}

// Cell records.
inline ByteVec Number(int row, int col, double v, int xf = 15) {
  return Record(0x0203, Le().u16(row).u16(col).u16(xf).f64(v).b);
}
inline ByteVec Rk(int row, int col, std::uint32_t rk, int xf = 15) {
  return Record(0x027E, Le().u16(row).u16(col).u16(xf).u32(rk).b);
}
inline ByteVec LabelSst(int row, int col, std::uint32_t index, int xf = 15) {
  return Record(0x00FD, Le().u16(row).u16(col).u16(xf).u32(index).b);
}
inline ByteVec Blank(int row, int col, int xf = 15) {
  return Record(0x0201, Le().u16(row).u16(col).u16(xf).b);
}
// A BIFF8 LABEL with an 8-bit (Latin-1) string.
inline ByteVec Label(int row, int col, const std::string& latin1, int xf = 15) {
  return Record(0x0204, Le().u16(row).u16(col).u16(xf).u16(latin1.size()).u8(0).latin1(latin1).b);
}
inline ByteVec BoolErr(int row, int col, int value, bool error, int xf = 15) {
  return Record(0x0205, Le().u16(row).u16(col).u16(xf).u8(value).u8(error ? 1 : 0).b);
}
// FORMULA with an 8-byte result field `result`, and a one-token formula (tInt 1).
inline ByteVec Formula(int row, int col, const ByteVec& result, int xf = 15) {
  Le b;
  b.u16(row).u16(col).u16(xf).bytes(result).u16(0).u32(0).u16(3).u8(0x1E).u16(1);
  return Record(0x0006, b.b);
}
inline ByteVec SpecialResult(int type, int value) {
  return Le().u8(type).u8(0).u8(value).u8(0).u16(0).u16(0xFFFF).b;
}

// An SST record of Latin-1 strings, claiming `claimed` of them (by default, as many as given).
inline ByteVec Sst(const std::vector<std::string>& latin1,
                   std::optional<std::uint32_t> claimed = std::nullopt) {
  const std::uint32_t count = claimed.value_or(static_cast<std::uint32_t>(latin1.size()));
  Le b;
  b.u32(count).u32(count);
  for (const std::string& s : latin1)
    b.u16(static_cast<std::uint32_t>(s.size())).u8(0).latin1(s);
  return Record(0x00FC, b.b);
}

// The 16 XF records of a new workbook: 15 styles, then the default cell format 15.
inline ByteVec XfTable() {
  Le t;
  for (int i = 0; i < 16; ++i) {
    ByteVec body(20, 0);
    body[4] = i < 15 ? 0xF4 : 0x00;  // style (parent 0xFFF) or cell XF under style 0
    body[5] = i < 15 ? 0xFF : 0x00;
    t.bytes(Record(0x00E0, body));
  }
  return t.b;
}

// Globals (BOF, `globals_extra`, BOUNDSHEETs at computed positions, EOF), then each sheet.
struct SheetSpec {
  std::string name;
  ByteVec records;             // between BOF and EOF
  std::uint8_t type = 0;       // BOUNDSHEET dt: 0 worksheet, 2 chart
  std::u16string wide_name{};  // if set, the name stored in 16 bits instead of `name`
};
inline ByteVec WorkbookStream(const ByteVec& globals_extra, const std::vector<SheetSpec>& sheets) {
  auto boundsheet = [](std::uint32_t pos, const SheetSpec& s) {
    Le b;
    b.u32(pos).u8(0).u8(s.type);
    if (s.wide_name.empty())
      return Record(0x0085, b.u8(s.name.size()).u8(0).latin1(s.name).b);
    return Record(0x0085, b.u8(s.wide_name.size()).u8(1).utf16(s.wide_name).b);
  };
  std::size_t globals_size = Bof(0x0005).size() + globals_extra.size() + Eof().size();
  for (const SheetSpec& s : sheets)
    globals_size += boundsheet(0, s).size();
  Le out;
  out.bytes(Bof(0x0005)).bytes(globals_extra);
  std::size_t pos = globals_size;
  for (const SheetSpec& s : sheets) {
    out.bytes(boundsheet(static_cast<std::uint32_t>(pos), s));
    pos += Bof(0x0010).size() + s.records.size() + Eof().size();
  }
  out.bytes(Eof());
  for (const SheetSpec& s : sheets)
    out.bytes(Bof(s.type == 2 ? 0x0020 : 0x0010)).bytes(s.records).bytes(Eof());
  return out.b;
}

// A compound file holding `stream` under `name`, written by libgsf.
inline ByteVec CompoundFile(const ByteVec& stream, const char* name = "Workbook") {
  return WriteCompoundFile({{name, stream}});
}

// Compound-file surgery: sectors, FAT entries and directory entries found by (ASCII) name.
struct OleView {
  ByteVec& file;
  std::uint32_t u32(std::size_t off) const { return G32(file, off); }
  void put32(std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      file[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::size_t sector_size() const { return std::size_t{1} << (file[0x1E] | (file[0x1F] << 8)); }
  std::size_t sector_offset(std::uint32_t s) const { return 512 + s * sector_size(); }
  std::size_t fat_entry_offset(std::uint32_t index) const {
    const std::size_t per = sector_size() / 4;
    const std::uint32_t fat_sector = u32(0x4C + 4 * (index / per));
    return sector_offset(fat_sector) + 4 * (index % per);
  }
  std::uint32_t fat(std::uint32_t index) const { return u32(fat_entry_offset(index)); }
  void set_fat(std::uint32_t index, std::uint32_t v) { put32(fat_entry_offset(index), v); }
  // The directory entry of `name`, along the directory's whole sector chain.
  std::size_t dirent_offset(const std::string& name) const {
    for (std::uint32_t s = u32(0x30); s < 0xFFFFFFFA; s = fat(s)) {
      const std::size_t dir = sector_offset(s);
      for (std::size_t e = dir; e + 128 <= dir + sector_size(); e += 128) {
        std::string n;
        for (std::size_t i = 0; i + 1 < 64 && file[e + i] != 0; i += 2)
          n.push_back(static_cast<char>(file[e + i]));
        if (n == name)
          return e;
      }
    }
    throw std::runtime_error("no directory entry " + name);
  }
};

}  // namespace ombrix::sheet::xls::testing
