#include "import/mesh_import.h"

#include <exception>
#include <stop_token>
#include <thread>

#include "import/cell_conversion.h"
#include "import/mesh_value_checks.h"
#include "import/plot_frame.h"
#include "import/workbook_filter.h"
#include "model/run_error.h"
#include "platform/command_guard.h"
#include "platform/work_beside.h"

namespace ombrix {
namespace {

// Workbook cells of the layout, (row, column).
constexpr std::int32_t kCountXRow = 3, kCountXCol = 6;  // F3
constexpr std::int32_t kCountYRow = 5, kCountYCol = 4;  // D5
constexpr std::int32_t kParamCol = 2;                   // B13, B14, B15, B19, B20
constexpr std::int32_t kXRow = 4;                       // G4, H4, ...
constexpr std::int32_t kYCol = 5;                       // E6, E7, ...
constexpr std::int32_t kFirstRowOffset = 5;             // node row i is sheet row i + 5
constexpr std::int32_t kFirstColOffset = 6;             // node column j is sheet column j + 6

constexpr Rgb kFrameOutline = RGB(240, 240, 0);

double ReadDouble(const Workbook& book, std::int32_t row, std::int32_t col) {
  return CellToDouble(book.Cell(row, col), row, col);
}

// A mesh needs two nodes each way to hold a cell; fewer (a points workbook opened as a mesh
// reads 0 here) would only collapse the frame and fail at the next drawing. A count that
// exceeds the limit with the other axis at its least is no mesh either, whatever that axis
// says, and is refused by its own cell.
void CheckCount(std::int32_t count, std::int32_t row, std::int32_t col, const char* what) {
  if (count < 2) {
    throw RunError(err::kSubscriptOutOfRange,
                   "セル " + CellName(row, col) + " の" + what + " " + std::to_string(count) +
                       " ではメッシュになりません。メッシュの" + what + "は 2 以上です。");
  }
  if (count > kMaxMeshAxisNodes) {
    throw RunError(err::kSubscriptOutOfRange, "セル " + CellName(row, col) + " の" + what + " " +
                                                  std::to_string(count) + " はメッシュの上限 " +
                                                  std::to_string(kMaxMeshAxisNodes) +
                                                  " を超えます: メッシュのブックではありません。");
  }
}

// Reads the node rows first..last of the block; errors name the cell. Stops early, reading
// nothing more, when `stop` is requested.
void ReadNodeRows(const Workbook& book, MeshData& d, std::int32_t first, std::int32_t last,
                  const std::stop_token& stop = {}) {
  for (std::int32_t i = first; i <= last && !stop.stop_requested(); ++i) {
    for (std::int32_t j = 1; j <= d.NodeCountX; ++j) {
      const std::int32_t row = i + kFirstRowOffset;
      const std::int32_t col = j + kFirstColOffset;
      const CellValue cell = book.Cell(row, col);
      if (CellIsBlank(cell)) {
        d.NodeBlank(i, j) = 1;
        d.NodeValue(i, j) = 0;
      } else {
        d.NodeBlank(i, j) = 0;
        d.NodeValue(i, j) = CellToDouble(cell, row, col);
      }
    }
  }
}

}  // namespace

MeshData ReadMeshWorkbook(const Workbook& book, std::int64_t nodes_to_share) {
  MeshData d;
  d.NodeCountX = CellToLong(book.Cell(kCountXRow, kCountXCol), kCountXRow, kCountXCol);
  d.NodeCountY = CellToLong(book.Cell(kCountYRow, kCountYCol), kCountYRow, kCountYCol);
  d.MembraneWeight = ReadDouble(book, 13, kParamCol);
  d.CurvatureWeight = ReadDouble(book, 14, kParamCol);
  d.DataWeight = ReadDouble(book, 15, kParamCol);
  d.RelaxationFactor = ReadDouble(book, 19, kParamCol);
  d.ConvergenceLimit = ReadDouble(book, 20, kParamCol);

  const std::int32_t nx = d.NodeCountX;
  const std::int32_t ny = d.NodeCountY;
  CheckCount(nx, kCountXRow, kCountXCol, "列数");
  CheckCount(ny, kCountYRow, kCountYCol, "行数");
  const std::int64_t nodes = std::int64_t{nx} * ny;
  if (nodes > kMaxMeshNodes) {
    throw RunError(err::kOutOfMemory, "メッシュが大きすぎます: " + std::to_string(nx) + " × " +
                                          std::to_string(ny) + " = " + std::to_string(nodes) +
                                          " 節点は上限 " + std::to_string(kMaxMeshNodes) +
                                          " 節点を超えます (セル F3, D5)。");
  }

  d.NodeX.Allocate(0, std::int64_t{nx} + 2);
  d.NodeY.Allocate(0, std::int64_t{ny} + 2);
  for (std::int32_t j = 1; j <= nx; ++j) {
    d.NodeX(j) = ReadDouble(book, kXRow, j + kFirstColOffset);
  }
  for (std::int32_t i = 1; i <= ny; ++i) {
    d.NodeY(i) = ReadDouble(book, i + kFirstRowOffset, kYCol);
  }
  // Counts that the coordinates do not bear out (empty cells read 0, which never increases)
  // stop here, before the node block is allocated.
  CheckMeshAxes(d);
  d.NodeValue.Allocate(-1, std::int64_t{ny} + 2, -1, std::int64_t{nx} + 2);
  d.NodeBlank.Allocate(-1, std::int64_t{ny} + 2, -1, std::int64_t{nx} + 2);
  if (nodes < nodes_to_share) {
    ReadNodeRows(book, d, 1, ny);
  } else {
    // Each half of the rows on its own thread, into rows of the arrays the other never touches.
    // A bad cell in the first half is the first in the sheet's order and is the one reported,
    // whatever the second half met.
    const std::int32_t half = ny / 2;
    std::exception_ptr later_failure;
    {
      // Should the first half fail, leaving the scope stops the second.
      std::jthread later([&](const std::stop_token& stop) {
        try {
          ReadNodeRows(book, d, half + 1, ny, stop);
        } catch (...) {
          later_failure = std::current_exception();
        }
      });
      ReadNodeRows(book, d, 1, half);
      later.join();  // the whole second half: leaving the scope would tell it to stop
    }
    if (later_failure) {
      std::rethrow_exception(later_failure);
    }
  }
  CheckNodeValues(d);
  return d;
}

void CommitMesh(MeshModel& model, MeshData&& data) {
  model.NodeCountX = data.NodeCountX;
  model.NodeCountY = data.NodeCountY;
  model.MembraneWeight = data.MembraneWeight;
  model.CurvatureWeight = data.CurvatureWeight;
  model.DataWeight = data.DataWeight;
  model.RelaxationFactor = data.RelaxationFactor;
  model.ConvergenceLimit = data.ConvergenceLimit;
  model.NodeX = std::move(data.NodeX);
  model.NodeY = std::move(data.NodeY);
  model.NodeValue = std::move(data.NodeValue);
  model.NodeBlank = std::move(data.NodeBlank);
  // The triangles of the previous mesh describe nothing any more: the division must not find
  // them before the new mesh is drawn.
  model.TriangleCount = 0;
}

MeshData ReadMeshFile(WorkbookOpener& workbooks, const std::string& path) {
  const std::unique_ptr<Workbook> book = workbooks.Open(path);
  return ReadMeshWorkbook(*book);
}

void ShowImportedMesh(CommandContext& ctx, const std::string& path, MeshData&& data) {
  {
    BusyPointer busy(ctx.windows);
    // Everything that can fail happens before the model is touched.
    const PlotFrameSetup frame =
        ComputePlotFrame(data.NodeX, data.NodeY, data.NodeCountX, data.NodeCountY, ctx.panel);
    CommitMesh(ctx.model, std::move(data));
    ctx.window.MeshFileName = path;
    ApplyPlotFrame(ctx, frame);
    // Keep the window on the screen.
    const ScreenInfo screen = ctx.windows.Screen();
    WindowRect main = ctx.windows.Geometry(WindowId::Main);
    if (main.height + main.top > screen.height) {
      main.top = 50;
    }
    if (main.width + main.left > screen.width) {
      main.left = 50;
    }
    ctx.windows.SetGeometry(WindowId::Main, main);
  }
  MeshModel& m = ctx.model;
  ctx.picture.SetScaleMode(ScaleMode::Pixels);
  ctx.picture.Clear();
  ctx.picture.Box(m.FrameLeft, m.FrameTop, m.FrameLeft + m.FrameWidth, m.FrameTop + m.FrameHeight,
                  kFrameOutline);
  ctx.picture.Refresh();
  if (m.MapLoaded == 1) {
    ctx.window.MapPicture = Picture{};
    m.MapLoaded = 0;
  }
  ctx.windows.Hide(WindowId::Legend);
}

void ImportMesh(CommandContext& ctx, const std::string& path) {
  MeshData data;
  {
    BusyPointer busy(ctx.windows);
    data = ReadMeshFile(ctx.workbooks, path);
  }
  ShowImportedMesh(ctx, path, std::move(data));
}

void MeshDataLoad_Click(CommandContext& ctx) {
  const std::optional<std::string> path = ctx.dialogs.OpenFile(kMeshFileFilter, kMeshDialogTitle);
  if (!path) {
    return;  // cancelled: nothing changes
  }
  bool stopped = false;
  const bool imported = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BesideOutcome<MeshData> read;
    {
      BusyPointer busy(ctx.windows);
      read =
          RunBeside(ctx.events, ctx.windows, "メッシュを読み込み", *path,
                    [&](const std::atomic<bool>&) { return ReadMeshFile(ctx.workbooks, *path); });
    }
    // What was read after Esc is dropped: the user asked to keep the mesh they had.
    stopped = read.stop_requested;
    if (!stopped) {
      ShowImportedMesh(ctx, *path, std::move(*read.result));
    }
  });
  if (imported && stopped) {
    ctx.windows.ShowStatus("メッシュの読み込みを中止しました。");
  } else if (imported) {
    ctx.windows.ShowStatus("メッシュを読み込みました: " + std::to_string(ctx.model.NodeCountX) +
                           " × " + std::to_string(ctx.model.NodeCountY) + " 節点  " + *path);
  } else {
    ctx.windows.ShowStatus("");
  }
}

}  // namespace ombrix
