#include "contour/contour_lines.h"

#include "model/modes.h"

namespace ombrix {

void DrawLevelSegments(DrawingSurface& surface, const GrowableList<SegmentRecord>& segments,
                       std::int32_t level, std::int32_t label_unit, const LineSwitches& switches,
                       std::int32_t colour_mode, const PrinterCopy& print) {
  const bool multiple = label_unit != 0 && level % label_unit == 0;
  const bool highlighted = multiple && switches.redline;
  const Rgb colour = highlighted ? kHighlightColour : kSegmentColour;
  bool labelled = false;
  for (std::int32_t s = 1; s <= segments.count(); ++s) {
    const SegmentRecord& seg = segments(s);
    if (seg.State != kSegmentDrawn) {
      continue;
    }
    surface.Line(seg.X1, seg.Y1, seg.X2, seg.Y2, colour);
    print.Segment(seg.X1, seg.Y1, seg.X2, seg.Y2, highlighted);
    if (multiple && switches.label && !labelled) {
      surface.SetCurrentX(seg.X1);
      surface.SetCurrentY(seg.Y1);
      surface.SetForeColor(colour_mode == kColorNothing ? kLabelColourNothing : kLabelColourFilled);
      PrintNumber(surface, level);
      labelled = true;
      print.LevelLabel(seg.X1, seg.Y1, level);
    }
  }
}

void DrawMeshOutline(DrawingSurface& surface, const MeshModel& m, const PixelMapping& map,
                     const PrinterCopy& print) {
  m.Triangles.ForEach(1, m.TriangleCount, [&](std::int64_t, const TriangleRecord& tri) {
    surface.Line(map.X(tri.X[1]), map.Y(tri.Y[1]), map.X(tri.X[2]), map.Y(tri.Y[2]), kFrameColour);
    print.OutlineSide(map.X(tri.X[1]), map.Y(tri.Y[1]), map.X(tri.X[2]), map.Y(tri.Y[2]));
    surface.Line(map.X(tri.X[2]), map.Y(tri.Y[2]), map.X(tri.X[3]), map.Y(tri.Y[3]), kFrameColour);
    surface.Line(map.X(tri.X[1]), map.Y(tri.Y[1]), map.X(tri.X[3]), map.Y(tri.Y[3]), kFrameColour);
  });
}

void DrawCoordinateLabels(DrawingSurface& surface, const MeshModel& m, const PixelMapping& map,
                          const PrinterCopy& print) {
  const double x_first = m.NodeX(1);
  const double x_last = m.NodeX(m.NodeCountX);
  const double y_first = m.NodeY(1);
  const double y_last = m.NodeY(m.NodeCountY);
  surface.SetForeColor(kCoordinateLabelColour);
  const struct {
    double value, x, y;
  } labels[] = {
      {x_first, map.X(x_first) - 2, map.Y(y_last) + 5},
      {x_last, map.X(x_last) - 16, map.Y(y_last) + 5},
      {y_first, map.X(x_first) - 27, map.Y(y_first) - 5},
      {y_last, map.X(x_first) - 27, map.Y(y_last) - 12},
  };
  // The x pair, then the y pair: each on the screen, then on the printed copy.
  for (std::size_t first = 0; first < 4; first += 2) {
    for (std::size_t k = first; k < first + 2; ++k) {
      surface.SetCurrentX(labels[k].x);
      surface.SetCurrentY(labels[k].y);
      PrintNumber(surface, labels[k].value);
    }
    for (std::size_t k = first; k < first + 2; ++k) {
      print.CoordinateLabel(labels[k].x, labels[k].y, labels[k].value);
    }
  }
}

}  // namespace ombrix
