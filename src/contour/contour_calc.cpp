#include "contour/contour_calc.h"

#include <optional>
#include <string>

#include "contour/background_buckets.h"
#include "contour/band_fill.h"
#include "contour/colour_scale.h"
#include "contour/contour_lines.h"
#include "contour/level_buckets.h"
#include "contour/level_cutting.h"
#include "contour/level_edges.h"
#include "contour/level_series.h"
#include "contour/pixel_mapping.h"
#include "contour/printer_copy.h"
#include "contour/progress_pacer.h"
#include "model/messages.h"
#include "model/modes.h"
#include "model/numeric.h"
#include "view/background_map.h"

namespace ombrix {
namespace {

// Where the segments of the level being cut came from, when a caller traces them.
struct Tracer {
  SegmentTrace* trace = nullptr;

  void Add(const SegmentEnd& e1, const SegmentEnd& e2) const {
    if (trace != nullptr) {
      trace->push_back({e1, e2});
    }
  }
  // Drops the entries of segments taken back out of the list.
  void Sync(const GrowableList<SegmentRecord>& segments) const {
    if (trace != nullptr) {
      trace->resize(static_cast<std::size_t>(segments.count()));
    }
  }
};

MeshPoint VertexPoint(const TriangleRecord& t, std::int32_t v) {
  return {t.X[static_cast<std::size_t>(v)], t.Y[static_cast<std::size_t>(v)]};
}
SegmentEnd AtVertex(const TriangleRecord& t, std::int32_t v) {
  return {VertexPoint(t, v), VertexKey(VertexPoint(t, v))};
}
SegmentEnd AtCrossing(const TriangleRecord& t, const Crossing& c) {
  return {{c.x, c.y}, MakeEdgeKey(VertexPoint(t, c.a), VertexPoint(t, c.b))};
}
// The vertex of the triangle at a point recorded as on the level.
SegmentEnd AtOnLevelPoint(const TriangleRecord& t, double y, double x) {
  for (std::int32_t v = 1; v <= 3; ++v) {
    if (t.Y[static_cast<std::size_t>(v)] == y && t.X[static_cast<std::size_t>(v)] == x) {
      return AtVertex(t, v);
    }
  }
  return {{x, y}, VertexKey({x, y})};
}

void AppendSegment(MeshModel& m, const PixelMapping& map, const Tracer& tracer,
                   const SegmentEnd& e1, const SegmentEnd& e2) {
  SegmentRecord s;
  s.Y1 = map.Y(e1.at.y);
  s.X1 = map.X(e1.at.x);
  s.Y2 = map.Y(e2.at.y);
  s.X2 = map.X(e2.at.x);
  s.State = kSegmentDrawn;
  m.Segments.Append(s);
  tracer.Add(e1, e2);
}

// A triangle with exactly one edge on the level: the edge is a segment unless it only touches
// the surface at a peak or pit.
void CutOneEdgeOnLevel(MeshModel& m, const MainWindowState& w, const PixelMapping& map,
                       const Tracer& tracer, TriangleRecord& t) {
  std::int32_t a = 2;
  std::int32_t b = 3;
  if (t.Z[1] == t.Z[2]) {
    a = 1;
    b = 2;
  } else if (t.Z[1] == t.Z[3]) {
    a = 1;
    b = 3;
  }
  if (w.DividedMesh == 0) {
    t.Flags[static_cast<std::size_t>(a)] = 1;
    t.Flags[static_cast<std::size_t>(b)] = 1;
  }
  AppendSegment(m, map, tracer, AtVertex(t, a), AtVertex(t, b));
  if (w.DividedMesh != 0) {
    if (t.Flags[static_cast<std::size_t>(a)] == -1) {
      m.Segments.RemoveLast();
    }
    return;
  }
  if (CheckLevelEdge(m, t) >= 1) {
    m.Segments.RemoveLast();
    for (std::size_t v = 1; v <= 3; ++v) {
      t.Flags[v] = -t.Flags[v];
    }
  }
}

// In the Normal mode, the part of a cut triangle above the level is filled in the colour of
// its band right after the segment.
void FillAboveLevel(DrawingSurface& screen, const MeshModel& m, const MainWindowState& w,
                    const PixelMapping& map, const TriangleRecord& t, const LevelCut& cut,
                    double level, const PrinterCopy& print) {
  const Crossing& c1 = cut.crossing[1];
  if (cut.kind == CutKind::TwoCrossings) {
    const Crossing& c2 = cut.crossing[2];
    const std::int32_t h1 = HigherEnd(t, c1);
    const std::int32_t h2 = HigherEnd(t, c2);
    PixelPoint corners[4] = {
        WholePixelPoint(map, c1.y, c1.x), WholePixelPoint(map, c2.y, c2.x), {}, {}};
    std::size_t count = 3;
    if (h1 == h2) {
      corners[2] = WholePixelPoint(map, t.Y[h1], t.X[h1]);
    } else {
      corners[2] = WholePixelPoint(map, t.Y[h2], t.X[h2]);
      corners[3] = WholePixelPoint(map, t.Y[h1], t.X[h1]);
      count = 4;
    }
    FillBandPolygon(screen, m, w, std::span<const PixelPoint>(corners, count), level, level,
                    t.Z[h1], print);
    return;
  }
  const std::int32_t h = HigherEnd(t, c1);
  const PixelPoint corners[3] = {WholePixelPoint(map, c1.y, c1.x),
                                 WholePixelPoint(map, cut.on_level_y[1], cut.on_level_x[1]),
                                 WholePixelPoint(map, t.Y[h], t.X[h])};
  FillBandPolygon(screen, m, w, corners, level, level, t.Z[h], print);
}

void CutAtLevel(DrawingSurface& screen, MeshModel& m, const MainWindowState& w,
                const PixelMapping& map, const Tracer& tracer, TriangleRecord& t, double level,
                const PrinterCopy& print) {
  const LevelCut cut = CutTriangle(t, level);
  switch (cut.kind) {
    case CutKind::None:
      return;
    case CutKind::TwoCrossings:
      AppendSegment(m, map, tracer, AtCrossing(t, cut.crossing[1]), AtCrossing(t, cut.crossing[2]));
      if (w.ColorMode == kColorNormal) {
        FillAboveLevel(screen, m, w, map, t, cut, level, print);
      }
      return;
    case CutKind::CrossingAndVertex:
      AppendSegment(m, map, tracer, AtCrossing(t, cut.crossing[1]),
                    AtOnLevelPoint(t, cut.on_level_y[1], cut.on_level_x[1]));
      if (w.ColorMode == kColorNormal) {
        FillAboveLevel(screen, m, w, map, t, cut, level, print);
      }
      return;
    case CutKind::Flat: {
      AppendSegment(m, map, tracer, AtVertex(t, 1), AtVertex(t, 2));
      AppendSegment(m, map, tracer, AtVertex(t, 2), AtVertex(t, 3));
      AppendSegment(m, map, tracer, AtVertex(t, 1), AtVertex(t, 3));
      TriangleRecord flat;
      for (std::size_t v = 1; v <= 3; ++v) {
        flat.Y[v] = map.Y(t.Y[v]);
        flat.X[v] = map.X(t.X[v]);
      }
      m.FlatTriangles.Append(flat);
      return;
    }
    case CutKind::OneEdgeOnLevel:
      CutOneEdgeOnLevel(m, w, map, tracer, t);
      return;
  }
}

std::string ProgressText(std::int64_t done, std::int64_t total, std::int64_t level) {
  return "等高線 " + std::to_string(level) + " を作図中 (" + std::to_string(done) + " / " +
         std::to_string(total) + ")  Esc で中断";
}

// The status line of a phase before the levels, in percent of its work.
std::string PhaseText(const char* phase, std::int64_t done, std::int64_t total) {
  const std::int64_t percent = total > 0 ? done * 100 / total : 0;
  return std::string(phase) + " (" + std::to_string(percent) + "%)  Esc で中断";
}

// Steps after the settings are read: the whole picture, and the printed copy beside it.
ContourOutcome DrawMap(CommandContext& ctx, const ContourHooks& hooks,
                       const ContourSettings& settings, PrinterCopy& print) {
  MeshModel& m = ctx.model;
  MainWindowState& w = ctx.window;
  DrawingSurface& screen = ctx.picture;
  const bool outline = IsTicked(ctx.panel.Check1);
  const LineSwitches switches{IsTicked(ctx.panel.Check2), IsTicked(ctx.panel.Check3)};

  screen.SetScaleMode(ScaleMode::Pixels);
  screen.Clear();
  if (m.MapLoaded == kMapLoaded) {
    PaintMap(screen, m, w);
  }
  screen.Box(m.FrameLeft, m.FrameTop, static_cast<double>(std::int64_t{m.FrameLeft} + m.FrameWidth),
             static_cast<double>(std::int64_t{m.FrameTop} + m.FrameHeight), kFrameColour);
  screen.SetFontSize(11);
  if (print.active()) {
    // The page is sized in the units of the hidden picture box that holds the map, which
    // like the drawing area counts screen pixels.
    const ScreenInfo screen_info = ctx.windows.Screen();
    print.SetUp(m, w, screen_info.twips_per_pixel_x, screen_info.twips_per_pixel_y);
  }

  const PixelMapping map = MakePixelMapping(m);
  if (outline) {
    DrawMeshOutline(screen, m, map, print);
  }

  const DataRange range = FindDataRange(m);
  m.DataMax = range.max;
  m.DataMin = range.min;
  const LevelSeries series = ChooseLevels(range, settings.LevelInterval);

  // Every long phase below lets the window breathe and stops on Esc; a stopped drawing is
  // not worth its paper.
  ProgressPacer pacer(ctx.events, ctx.windows);
  ctx.events.ResetCancel();
  const auto cancelled = [&] {
    print.KillDoc();
    ctx.windows.ShowStatus("作図を中断しました。");
    return ContourOutcome::Cancelled;
  };
  const auto phase_check = [&](const char* phase) {
    pacer.Restart();
    return [&pacer, phase](std::int64_t done, std::int64_t total) {
      return pacer.Tick([&] { return PhaseText(phase, done, total); });
    };
  };
  // The level table is built on the second core while the base is painted.
  const std::int32_t interval = settings.LevelInterval;
  const std::int64_t total = interval != 0 ? LevelCount(series, interval) : 0;
  std::optional<BackgroundBuckets> background;
  if (interval != 0) {
    background.emplace(m, series, interval, total);
  }
  if (w.ColorMode == kColorEasy) {
    if (!ShadeCells(screen, m, map, print, phase_check("濃淡を塗っています"))) {
      return cancelled();
    }
  }
  SetColor(m, w);
  if (w.ColorMode == kColorNormal) {
    if (!FillTriangleBases(screen, m, w, map, print, phase_check("下地を塗っています"))) {
      return cancelled();
    }
  }
  screen.Refresh();

  if (background) {
    const LevelBuckets* const table = background->Wait(phase_check("等高線の準備中"));
    if (table == nullptr) {
      return cancelled();
    }
    const LevelBuckets& buckets = *table;
    pacer.Restart();
    for (std::int64_t k = 0; k < total; ++k) {
      const std::int64_t level = std::int64_t{series.FirstLevel} + k * interval;
      if (pacer.Tick([&] { return ProgressText(k + 1, total, level); })) {
        return cancelled();
      }
      if (buckets.Empty(k)) {
        continue;  // nothing can meet this level: it would draw nothing
      }
      m.Segments.Clear();
      m.FlatTriangles.Clear();
      const Tracer tracer{hooks.trace};
      if (hooks.trace != nullptr) {
        hooks.trace->clear();
      }
      const double at = static_cast<double>(level);
      buckets.ForEachCandidate(k, at, [&](std::int32_t t, const TriangleRecord& read) {
        TriangleRecord tri = read;
        CutAtLevel(screen, m, w, map, tracer, tri, at, print);
        if (tri.Flags != read.Flags) {
          m.Triangles.SetFlags(t, tri.Flags);
        }
        tracer.Sync(m.Segments);
      });
      PairFlatTriangles(m.FlatTriangles, m.FlatEdges);
      SuppressFlatEdges(m.FlatEdges, m.Segments);
      if (hooks.on_level) {
        hooks.on_level(static_cast<std::int32_t>(level), m.Segments);
      }
      DrawLevelSegments(screen, m.Segments, static_cast<std::int32_t>(level), series.LabelUnit,
                        switches, w.ColorMode, print);
      screen.Refresh();
    }
  }
  DrawCoordinateLabels(screen, m, map, print);
  print.EndDoc();
  screen.Refresh();
  ctx.windows.ShowStatus("");
  return ContourOutcome::Drawn;
}

}  // namespace

ContourSettings ReadContourSettings(const PanelState& panel) {
  ContourSettings s;
  s.LevelInterval = ToLong(LeadingNumber(panel.Text1));
  s.ContourLineWidth = ToLong(LeadingNumber(panel.Text2));
  return s;
}

ContourOutcome ContourCalc(CommandContext& ctx, const ContourHooks& hooks) {
  MainWindowState& w = ctx.window;
  const ContourSettings settings = ReadContourSettings(ctx.panel);
  if (settings.ContourLineWidth < 1) {
    ctx.dialogs.Message(msg::kLineWidthTooSmall, msg::kErrorReportTitle);
    return ContourOutcome::LineWidthTooSmall;
  }
  const std::int16_t line_width = ToInteger16(settings.ContourLineWidth);
  ctx.picture.SetDrawWidth(line_width);
  // The printer's line width is set on every run, printing or not.
  if (ctx.printer != nullptr) {
    ctx.printer->SetDrawWidth(line_width);
  }

  if (ctx.panel.Option1) {
    w.ColorMode = kColorNothing;
  } else if (ctx.panel.Option2) {
    w.ColorMode = kColorEasy;
  } else if (ctx.panel.Option3) {
    w.ColorMode = kColorNormal;
  }
  w.PrinterOutput = IsTicked(ctx.panel.Check4) ? kPrinterOn : kPrinterOff;
  PrinterCopy print;
  if (w.PrinterOutput == kPrinterOn && ctx.printer != nullptr) {
    print = PrinterCopy(*ctx.printer, w.ColorMode);
  }
  try {
    return DrawMap(ctx, hooks, settings, print);
  } catch (...) {
    // The job is ended before the caller reports the error.
    print.EndAfterError();
    throw;
  }
}

}  // namespace ombrix
