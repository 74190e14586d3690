#include "cli/optimise_command.h"

#include "cli/arguments.h"
#include "cli/headless.h"
#include "cli/interrupt.h"
#include "cli/optimise_progress.h"
#include "import/mesh_import.h"
#include "import/point_import.h"
#include "model/modes.h"
#include "model/numeric.h"
#include "optimise/optimize_command.h"
#include "optimise/optimizing_calc.h"
#include "sheet/edit_workbook.h"

namespace ombrix::cli {
namespace {

const std::map<std::string, int> kOptimiseOptions = {
    {"--initial", 1}, {"--write", 0}, {"--solver", 1}};

}  // namespace

void ApplyInitialValueOption(const Arguments& args, MeshModel& model) {
  if (const std::optional<std::string> initial = args.Value("--initial")) {
    if (*initial == "weighted") {
      model.InitialValueMode = kInitialWeightedFivePoint;
    } else if (*initial == "mean") {
      model.InitialValueMode = kInitialAverage;
    } else {
      throw UsageError("--initial takes weighted or mean, not '" + *initial + "'");
    }
  }
}

void ApplySolverOption(const Arguments& args, MeshModel& model) {
  if (const std::optional<std::string> solver = args.Value("--solver")) {
    if (*solver == "relaxation") {
      model.OptimizeSolver = kSolverRelaxation;
    } else if (*solver == "exact") {
      model.OptimizeSolver = kSolverExact;
    } else {
      throw UsageError("--solver takes relaxation or exact, not '" + *solver + "'");
    }
  }
}

OptimizeResult OptimiseWithProgress(MeshModel& model) {
  // Ctrl+C is Esc here: the fit stops at its next sweep and the command writes nothing.
  InterruptEvents events;
  OptimiseProgress progress(std::cerr, StderrIsTerminal());
  const OptimizeResult result = OptimizingCalc(model, events, progress.Observers());
  if (result.outcome == OptimizeOutcome::Cancelled) {
    throw Interrupted();
  }
  return result;
}

void ImportPointsAndOptimise(CommandContext& ctx, const std::string& points_path) {
  const std::unique_ptr<Workbook> points = ctx.workbooks.Open(points_path);
  CommitPoints(ctx.model, ReadPointWorkbook(*points));
  OptimiseWithProgress(ctx.model);
}

int PrintOptimisedMesh(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kOptimiseOptions);
  if (args.positional.size() != 2) {
    throw UsageError("optimise takes a mesh workbook and a point workbook");
  }
  NullSurface surface;
  HeadlessSession session(surface);
  ApplyInitialValueOption(args, session.model);
  ApplySolverOption(args, session.model);
  return RunHeadless(out, [&](std::string& text) {
    MeshModel& m = session.model;
    const std::unique_ptr<Workbook> mesh = session.workbooks.Open(args.positional[0]);
    CommitMesh(m, ReadMeshWorkbook(*mesh));
    const std::unique_ptr<Workbook> points = session.workbooks.Open(args.positional[1]);
    CommitPoints(m, ReadPointWorkbook(*points));
    const OptimizeResult result = OptimiseWithProgress(m);
    if (args.Has("--write")) {
      CommandContext ctx = session.Context();
      ctx.window.MeshFileName = args.positional[0];
      sheet::FileWorkbookWriter writer;
      ctx.writer = &writer;
      WriteOptimizedMesh(ctx);
    }
    if (m.OptimizeSolver == kSolverExact) {
      text += "iterations," + std::to_string(result.Iterations) + "\nresidual," +
              RealText(result.Residual) + "\n";
    } else {
      text += "sweeps," + std::to_string(result.SweepCount) + "\n";
    }
    for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
      for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
        text += "node," + std::to_string(i) + "," + std::to_string(j) + "," +
                RealText(m.NodeValue(i, j)) + "\n";
      }
    }
  });
}

}  // namespace ombrix::cli
