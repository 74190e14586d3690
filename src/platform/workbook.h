#pragma once
// Workbook access: the cells of a workbook's active sheet. Implemented by the sheet layer for
// .xls and .xlsx; the imports read through it and never see a file format.

#include <cstdint>
#include <memory>
#include <string>

namespace ombrix {

enum class CellKind : std::uint8_t { Empty, Number, Text, Boolean, Error };

// One cell's content as the workbook stores it (a formula cell: its cached result).
struct CellValue {
  CellKind kind = CellKind::Empty;
  double number = 0;  // Number: the value (dates are their serial numbers); Boolean: 1 or 0
  std::string text;   // Text: UTF-8; Error: the error's name, such as "#DIV/0!"

  static CellValue Empty() { return {}; }
  static CellValue Number(double v) { return {CellKind::Number, v, {}}; }
  static CellValue Text(std::string s) { return {CellKind::Text, 0, std::move(s)}; }
  static CellValue Boolean(bool b) { return {CellKind::Boolean, b ? 1.0 : 0.0, {}}; }
  static CellValue Error(std::string name) { return {CellKind::Error, 0, std::move(name)}; }

  bool operator==(const CellValue&) const = default;
};

class Workbook {
 public:
  virtual ~Workbook() = default;

  // The cell at (row, column) of the active sheet, both counted from 1. A cell that is not
  // stored, or lies outside the sheet, is Empty; so is a cell holding empty text. Safe to call
  // from two threads at once: the import reads a large block in halves.
  virtual CellValue Cell(std::int32_t row, std::int32_t col) const = 0;
  // Name of the active sheet.
  virtual std::string ActiveSheetName() const = 0;
};

// Opens workbooks by path. Errors: 53 when the file does not exist, 75 when it cannot be
// read, 321 when its content is not a workbook this program reads (the description says why).
class WorkbookOpener {
 public:
  virtual ~WorkbookOpener() = default;
  virtual std::unique_ptr<Workbook> Open(const std::string& path) = 0;
};

}  // namespace ombrix

namespace ombrix {

// The A1-style name of a cell: (7, 8) is "H7".
std::string CellName(std::int32_t row, std::int32_t col);

}  // namespace ombrix
