#pragma once
// Shorthands that the reader, sheet-cell, writer and sheet-patch tests all write their
// expectations with: cell values, edits of cells named A1-style, and XML parsed for a look.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <memory>
#include <string>

#include "platform/workbook.h"
#include "sheet/cell_edit.h"
#include "sheet/xlsx/cell_ref.h"

namespace ombrix::sheet::xlsx::testing {

inline CellValue N(double v) {
  return CellValue::Number(v);
}
inline CellValue T(const char* s) {
  return CellValue::Text(s);
}
inline const CellValue kEmpty = CellValue::Empty();

// Writes `value` into the cell named `ref`, as the writer and the sheet patch are asked to.
inline CellEdit Value(const std::string& ref, double value) {
  const CellRef r = *ParseCellRef(ref);
  return {r.row, r.col, value, false};
}

// `text` parsed, failing the test when it is not well-formed.
inline std::unique_ptr<pugi::xml_document> Xml(const std::string& text) {
  auto doc = std::make_unique<pugi::xml_document>();
  const pugi::xml_parse_result result = doc->load_string(text.c_str());
  EXPECT_TRUE(result) << result.description() << " at " << result.offset;
  return doc;
}

}  // namespace ombrix::sheet::xlsx::testing
