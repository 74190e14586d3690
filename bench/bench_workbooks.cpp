#include "bench_workbooks.h"

#include <unistd.h>
#include <zip.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/workbook.h"
#include "sheet/xls/ole_writer.h"

namespace ombrix::bench {
namespace {

std::vector<std::string>& Written() {
  static std::vector<std::string> paths;
  static std::once_flag cleanup;
  std::call_once(cleanup, [] {
    std::atexit([] {
      for (const std::string& p : Written()) {
        std::error_code ec;
        std::filesystem::remove(p, ec);
      }
    });
  });
  return paths;
}

std::string TempPath(const std::string& name) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("ombrix_bench_" + std::to_string(::getpid()) + "_" + name))
                               .string();
  Written().push_back(path);
  return path;
}

constexpr const char* kRootRels =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
constexpr const char* kWorkbook =
    R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="mesh" sheetId="1" r:id="rId1"/></sheets></workbook>)";
constexpr const char* kWorkbookRels =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";

std::string SheetXml(const std::vector<NumberCell>& cells) {
  std::string xml =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
  xml.reserve(cells.size() * 40 + 1024);
  char number[32];
  int row = 0;
  for (const NumberCell& c : cells) {
    if (c.row != row) {
      if (row != 0) {
        xml += "</row>";
      }
      row = c.row;
      xml += "<row r=\"" + std::to_string(row) + "\">";
    }
    const auto end = std::to_chars(number, number + sizeof number, c.value).ptr;
    xml += "<c r=\"" + CellName(c.row, c.col) + "\"><v>";
    xml.append(number, end);
    xml += "</v></c>";
  }
  if (row != 0) {
    xml += "</row>";
  }
  return xml + "</sheetData></worksheet>";
}

void PutU16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void PutRecord(std::vector<std::uint8_t>& out, unsigned type,
               const std::vector<std::uint8_t>& body) {
  PutU16(out, type);
  PutU16(out, static_cast<unsigned>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> Bof(unsigned substream) {
  std::vector<std::uint8_t> body;
  PutU16(body, 0x0600);  // BIFF8
  PutU16(body, substream);
  PutU16(body, 0);
  PutU16(body, 0);
  PutU32(body, 0);
  PutU32(body, 0);
  return body;
}

}  // namespace

BenchFile WriteXlsx(const std::string& name, const std::vector<NumberCell>& cells) {
  return WriteXlsxTo(TempPath(name + ".xlsx"), cells);
}

BenchFile WriteXlsxTo(const std::string& path, const std::vector<NumberCell>& cells) {
  BenchFile file;
  const std::string sheet = SheetXml(cells);
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) {
    return file;
  }
  const std::pair<const char*, std::string_view> entries[] = {
      {"_rels/.rels", kRootRels},
      {"xl/workbook.xml", kWorkbook},
      {"xl/_rels/workbook.xml.rels", kWorkbookRels},
      {"xl/worksheets/sheet1.xml", sheet}};
  for (const auto& [entry, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    if (source == nullptr || zip_file_add(archive, entry, source, 0) < 0) {
      zip_source_free(source);
      zip_discard(archive);
      return file;
    }
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    return file;
  }
  file.path = path;
  file.sheet_bytes = sheet.size();
  return file;
}

BenchFile WriteXls(const std::string& name, const std::vector<NumberCell>& cells) {
  // Globals: BOF, one BOUNDSHEET, EOF; then the sheet: BOF, NUMBER records, EOF.
  constexpr std::size_t kGlobalsSize = (4 + 16) + (4 + 12) + 4;
  std::vector<std::uint8_t> stream;
  stream.reserve(kGlobalsSize + cells.size() * 18 + 64);
  PutRecord(stream, 0x0809, Bof(0x0005));
  std::vector<std::uint8_t> boundsheet;
  PutU32(boundsheet, static_cast<std::uint32_t>(kGlobalsSize));
  boundsheet.insert(boundsheet.end(), {0, 0, 4, 0, 'm', 'e', 's', 'h'});
  PutRecord(stream, 0x0085, boundsheet);
  PutRecord(stream, 0x000A, {});
  PutRecord(stream, 0x0809, Bof(0x0010));
  std::vector<std::uint8_t> number(14);
  for (const NumberCell& c : cells) {
    number.clear();
    PutU16(number, static_cast<unsigned>(c.row - 1));
    PutU16(number, static_cast<unsigned>(c.col - 1));
    PutU16(number, 15);
    std::uint64_t bits;
    std::memcpy(&bits, &c.value, sizeof bits);
    PutU32(number, static_cast<std::uint32_t>(bits));
    PutU32(number, static_cast<std::uint32_t>(bits >> 32));
    PutRecord(stream, 0x0203, number);
  }
  PutRecord(stream, 0x000A, {});
  BenchFile file;
  const std::vector<std::uint8_t> compound = sheet::xls::WriteCompoundFile({{"Workbook", stream}});
  const std::string path = TempPath(name + ".xls");
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(compound.data()),
            static_cast<std::streamsize>(compound.size()));
  if (!out) {
    return file;
  }
  file.path = path;
  file.sheet_bytes = stream.size();
  return file;
}

std::vector<NumberCell> MeshCells(int nx, int ny, double (*value)(int i, int j)) {
  std::vector<NumberCell> cells;
  cells.reserve(static_cast<std::size_t>(nx + 1) * (ny + 1) + 16);
  cells.push_back({3, 6, static_cast<double>(nx)});  // F3
  for (int j = 1; j <= nx; ++j) {
    cells.push_back({4, j + 6, 10.0 * (j - 1)});  // row 4: x
  }
  cells.push_back({5, 4, static_cast<double>(ny)});  // D5
  for (int i = 1; i <= ny; ++i) {
    const int row = i + 5;
    if (row == 13) {
      cells.push_back({13, 2, 1.0});
    } else if (row == 14) {
      cells.push_back({14, 2, 1.0});
    } else if (row == 15) {
      cells.push_back({15, 2, 10.0});
    } else if (row == 19) {
      cells.push_back({19, 2, 1.5});
    } else if (row == 20) {
      cells.push_back({20, 2, 1e-6});
    }
    cells.push_back({row, 5, 10.0 * (ny - i)});  // column E: y
    for (int j = 1; j <= nx; ++j) {
      cells.push_back({row, j + 6, value(i, j)});
    }
  }
  return cells;
}

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) {
      return std::stol(line.substr(std::strlen(field)));
    }
  }
  return -1;
}

}  // namespace ombrix::bench
