#pragma once
// Workbooks held in memory, cell by cell, and an opener that serves them by path.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/workbook.h"

namespace ombrix::testing {

class MemoryWorkbook : public Workbook {
 public:
  std::map<std::pair<std::int32_t, std::int32_t>, CellValue> cells;
  // Reads so far; Cell may be called from two threads at once, and the count copies along.
  struct ReadCount {
    std::atomic<int> n = 0;
    ReadCount() = default;
    ReadCount(const ReadCount& other) : n(other.n.load()) {}
    ReadCount& operator=(const ReadCount& other) {
      n = other.n.load();
      return *this;
    }
    void operator++() { ++n; }
    operator int() const { return n.load(); }
  };
  mutable ReadCount reads;

  // Sets a cell by its A1 name: Set("G6", CellValue::Number(1.5)).
  MemoryWorkbook& Set(const std::string& a1, CellValue value);
  MemoryWorkbook& Set(const std::string& a1, double number) {
    return Set(a1, CellValue::Number(number));
  }

  CellValue Cell(std::int32_t row, std::int32_t col) const override;
  std::string ActiveSheetName() const override { return "Sheet1"; }
};

class MemoryWorkbookOpener : public WorkbookOpener {
 public:
  std::map<std::string, MemoryWorkbook> books;
  // Runs at each open, before the book is served: a test holds a slow read with it.
  std::function<void()> on_open;
  std::unique_ptr<Workbook> Open(const std::string& path) override;
};

}  // namespace ombrix::testing
