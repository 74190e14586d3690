#include "view/contour_image_save.h"

#include <filesystem>

#include "model/messages.h"
#include "platform/command_guard.h"

namespace ombrix {
namespace {

constexpr const char* kImageExtension = ".BMP";

// The model keeps paths as UTF-8; the filesystem library must not read them in a local code
// page.
std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

std::string ContourImageFolder(const std::string& mesh_file_name) {
  const std::filesystem::path folder = PathFromUtf8(mesh_file_name).parent_path();
  if (folder.empty()) {
    return {};
  }
  std::string text = Utf8FromPath(folder);
  // A root ("/", "C:\") already ends in its separator; a drive alone ("C:") must not get one,
  // since that would turn its current folder into its root.
  if (folder.has_filename()) {
    text += static_cast<char>(std::filesystem::path::preferred_separator);
  }
  return text;
}

std::string ContourImagePath(const std::string& mesh_file_name, const std::string& name) {
  return ContourImageFolder(mesh_file_name) + name + kImageExtension;
}

void SaveContour_Click(CommandContext& ctx) {
  RunGuarded(ctx.dialogs, Aborted::Writing, [&ctx] {
    const std::string name = ctx.dialogs.InputBox(msg::kContourSavePrompt, msg::kContourSaveTitle,
                                                  msg::kContourSaveDefault);
    if (name.empty()) {
      return;
    }
    const std::string path = ContourImagePath(ctx.window.MeshFileName, name);
    ctx.picture.SavePicture(path);
    ctx.windows.ShowStatus("コンター画像を保存しました: " + path);
  });
}

}  // namespace ombrix
