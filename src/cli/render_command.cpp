#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <cmath>
#include <filesystem>
#include <optional>

#include "cli/arguments.h"
#include "cli/contour_commands.h"
#include "cli/drawing_options.h"
#include "cli/headless.h"
#include "cli/optimise_command.h"
#include "cli/output_identity.h"
#include "cli/print_pdf.h"
#include "contour/colour_legend.h"
#include "contour/contour_calc.h"
#include "contour/triangle_list.h"
#include "import/mesh_import.h"
#include "platform/null_surface.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_text.h"
#include "sheet/atomic_save.h"
#include "view/background_map.h"

namespace ombrix::cli {
namespace {

const std::map<std::string, int> kLegendOptions = {
    {"-o", 1}, {"--interval", 1}, {"--color-range", 2}};
const std::map<std::string, int> kRenderOptions = {
    {"-o", 1},         {"--interval", 1},   {"--line-width", 1}, {"--outline", 0},
    {"--no-level", 0}, {"--no-redline", 0}, {"--mode", 1},       {"--color-range", 2},
    {"--divide", 1},   {"--points", 1},     {"--optimise", 0},   {"--initial", 1},
    {"--map", 1},      {"--print-pdf", 1}};

// The drawing area's size in a fresh window: 9372 x 5412 twips at 15 twips a pixel.
constexpr int kInitialAreaWidth = 625;
constexpr int kInitialAreaHeight = 361;

// The image format the output's name asks for.
const char* ImageFormat(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".png" || extension == ".PNG") {
    return "PNG";
  }
  if (extension == ".bmp" || extension == ".BMP") {
    return "BMP";
  }
  throw UsageError("the output must end in .png or .bmp: " + path);
}

// Encodes the image, then saves it through a temporary file under the name exactly as given
// (its bytes, whatever their encoding), so a failure leaves no half-written picture.
void SaveImage(const QImage& image, const std::string& path, const char* format) {
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) {
    throw RunError(err::kPathFileAccess, "画像ファイル \"" + path + "\" を作れません: " +
                                             qt::ToStdString(writer.errorString()));
  }
  sheet::CreateOrReplace(path, std::span(reinterpret_cast<const std::uint8_t*>(encoded.constData()),
                                         static_cast<std::size_t>(encoded.size())));
}

// Fonts need a GUI application; headless, on the offscreen platform, never a window.
void EnsureGuiApplication(std::optional<QGuiApplication>& application) {
  static int argc = 1;
  static char name[] = "ombrix";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
  }
}

}  // namespace

int RenderMap(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kRenderOptions);
  if (args.positional.size() != 1 || !args.Has("-o")) {
    throw UsageError("render takes one mesh workbook and -o OUT.png|OUT.bmp");
  }
  const std::string path = args.positional.front();
  const std::string output = *args.Value("-o");
  const char* format = ImageFormat(output);

  std::optional<QGuiApplication> application;
  EnsureGuiApplication(application);

  qt::QtSurface surface(kInitialAreaWidth, kInitialAreaHeight);
  HeadlessSession session(surface);
  session.windows.on_area_size = [&surface](std::int32_t w, std::int32_t h) {
    surface.Resize(w, h);
  };
  ApplyDrawingOptions(args, session);
  const std::optional<std::int32_t> divisions = DivisionOption(args);
  const std::optional<std::string> points = args.Value("--points");
  if (points.has_value() != args.Has("--optimise")) {
    throw UsageError("--points POINTS and --optimise go together");
  }
  if (args.Has("--initial") && !points) {
    throw UsageError("--initial needs --points POINTS --optimise");
  }
  ApplyInitialValueOption(args, session.model);
  const std::optional<std::string> map_picture = args.Value("--map");
  const std::optional<std::string> pdf = args.Value("--print-pdf");
  return RunHeadless(out, [&](std::string& text) {
    std::vector<std::string> outputs{output};
    if (pdf) {
      outputs.push_back(*pdf);
    }
    std::vector<std::string> inputs{path};
    for (const auto& input : {map_picture, points}) {
      if (input) {
        inputs.push_back(*input);
      }
    }
    RefuseOverwritingInputs(outputs, inputs);
    std::optional<PdfPrintJob> pdf_job;
    if (pdf) {
      pdf_job.emplace(*pdf);
    }
    CommandContext ctx = session.Context();
    ImportMesh(ctx, path);
    if (map_picture) {
      // After the import, which drops any map and sets the frame corner the map starts at.
      LoadMap(ctx, *map_picture);
    }
    if (points) {
      ImportPointsAndOptimise(ctx, *points);
    }
    // The printed copy is the one of the final drawing, as the window would print it.
    if (pdf_job && !divisions) {
      pdf_job->Attach(ctx);
    }
    DrawLoadedMesh(ctx);
    if (divisions) {
      if (pdf_job) {
        pdf_job->Attach(ctx);
      }
      DivideAndRedraw(ctx, *divisions);
    }
    SaveImage(surface.image(), output, format);
    text += "image," + output + "," + std::to_string(surface.image().width()) + "," +
            std::to_string(surface.image().height()) + "\n";
    if (pdf_job) {
      text += "pdf," + *pdf + "," + std::to_string(pdf_job->Commit()) + "\n";
    }
  });
}

}  // namespace ombrix::cli

namespace ombrix::cli {

int RenderLegend(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kLegendOptions);
  if (args.positional.size() != 1 || !args.Has("-o")) {
    throw UsageError("legend takes one mesh workbook and -o OUT.png|OUT.bmp");
  }
  const std::string path = args.positional.front();
  const std::string output = *args.Value("-o");
  const char* format = ImageFormat(output);
  std::optional<QGuiApplication> application;
  EnsureGuiApplication(application);

  // The map is drawn as in the Normal mode (its picture is not kept); the legend window's
  // surface is what is saved.
  NullSurface map;
  HeadlessSession session(map);
  ApplyDrawingOptions(args, session);
  session.panel.Option1 = false;
  session.panel.Option2 = false;
  session.panel.Option3 = true;
  const ScreenInfo screen = session.windows.Screen();
  qt::QtSurface legend(
      static_cast<int>(std::nearbyint(kLegendClientWidthTwips / screen.twips_per_pixel_x)),
      static_cast<int>(std::nearbyint(kLegendClientHeightTwips / screen.twips_per_pixel_y)));
  return RunHeadless(out, [&](std::string& text) {
    RefuseOverwritingInputs({output}, {path});
    CommandContext ctx = session.Context();
    ctx.legend = &legend;
    ImportAndDraw(ctx, path);
    ShowColorLegend(ctx, legend);
    SaveImage(legend.image(), output, format);
    text += "image," + output + "," + std::to_string(legend.image().width()) + "," +
            std::to_string(legend.image().height()) + "\n";
  });
}

}  // namespace ombrix::cli
