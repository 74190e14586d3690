#pragma once
// Builds small .xlsx archives for the tests with libzip: entries in the given order, deflated
// unless asked otherwise, written to a temporary file and read back as bytes.

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/temp_folder.h"

namespace ombrix::sheet::xlsx::testing {

struct TestEntry {
  std::string name;
  std::string data;
  bool store = false;  // no compression
};

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteZipFile(const std::filesystem::path& path, const std::vector<TestEntry>& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) {
    throw std::runtime_error("zip_open failed");
  }
  for (const TestEntry& e : entries) {
    zip_source_t* source = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
    const zip_int64_t index =
        source ? zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("zip_file_add failed for " + e.name);
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("zip_close failed");
  }
}

inline std::vector<std::uint8_t> BuildZip(const std::vector<TestEntry>& entries) {
  const ombrix::testing::TempFolder dir;
  const std::string file = dir / "build.xlsx";
  WriteZipFile(file, entries);
  return ReadFileBytes(file);
}

inline const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline std::string PackageRels(const std::string& workbook_target = "xl/workbook.xml") {
  return std::string(
             R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target=")") +
         workbook_target + R"("/></Relationships>)";
}

inline std::string WorkbookXml(const std::string& sheets, int active_tab = 0) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns=")") + kMainNs +
         R"(" xmlns:r=")" + kRelNs + R"("><bookViews><workbookView activeTab=")" +
         std::to_string(active_tab) + R"("/></bookViews><sheets>)" + sheets +
         "</sheets></workbook>";
}

inline std::string WorkbookRels(const std::string& relationships) {
  return R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
         relationships + "</Relationships>";
}

inline std::string Rel(const std::string& id, const std::string& kind, const std::string& target) {
  return R"(<Relationship Id=")" + id +
         R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)" + kind +
         R"(" Target=")" + target + R"("/>)";
}

inline std::string SheetXml(const std::string& sheet_data) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns=")") + kMainNs +
         R"("><sheetData>)" + sheet_data + "</sheetData></worksheet>";
}

// A one-sheet workbook "data" whose sheet holds `sheet_data`, with a shared-string table when
// `shared_strings` (the whole sst part) is not empty.
inline std::vector<TestEntry> OneSheetWorkbook(const std::string& sheet_data,
                                               const std::string& shared_strings = "") {
  std::string rels = Rel("rId1", "worksheet", "worksheets/sheet1.xml");
  std::vector<TestEntry> entries = {
      {"_rels/.rels", PackageRels()},
      {"xl/workbook.xml", WorkbookXml(R"(<sheet name="data" sheetId="1" r:id="rId1"/>)")},
      {"xl/worksheets/sheet1.xml", SheetXml(sheet_data)},
  };
  if (!shared_strings.empty()) {
    rels += Rel("rId2", "sharedStrings", "sharedStrings.xml");
    entries.push_back({"xl/sharedStrings.xml", shared_strings});
  }
  entries.push_back({"xl/_rels/workbook.xml.rels", WorkbookRels(rels)});
  return entries;
}

}  // namespace ombrix::sheet::xlsx::testing
