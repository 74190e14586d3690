#pragma once
// The temporary files a save writes beside its target (and the staging folders the GIS exports
// write into), and the sweep that removes the ones a killed save left behind. A save holds an
// exclusive flock on its temporary file or folder from the moment it exists until it is done
// with it, so one of ours that can be locked belongs to no running save.

#include <filesystem>
#include <string>

namespace ombrix::sheet {

// The mkstemp template of a temporary file for `target`: ".NAME.ombrix-XXXXXX" in `folder`.
std::string TemporaryTemplate(const std::filesystem::path& folder,
                              const std::filesystem::path& target);

// Whether a file name has the shape of TemporaryTemplate's names.
bool IsTemporaryName(const std::string& name);

// Removes, in `folder`, every regular file of the calling user whose name IsTemporaryName and
// that no process holds locked, and every such folder with the plain files in it. Files of
// other shapes or owners, symbolic links and locked files are left alone; errors (an unreadable
// folder, a file that vanished) are ignored, since the sweep only tidies. Returns how many files it
// removed.
int RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace ombrix::sheet
