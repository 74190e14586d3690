#pragma once
// Saving a file so that it is either wholly replaced or not touched at all: the new content
// goes to a temporary file in the same folder, is flushed to disk, takes the original's
// permissions and is then renamed over the original. A symbolic link is saved through: its
// target is replaced (the temporary file sits in the target's folder) and the link stays a
// link. A file with more than one name (hard links) is refused: the rename would leave the
// other names on the old content, and writing into the shared file in place could leave every
// name on a damaged file if the save were cut short. Ctrl+C, SIGTERM or SIGHUP during a save
// remove the temporary file before the process ends; temporary files a killed save left
// behind are removed by the next save in the same folder.

#include <cstdint>
#include <span>
#include <string>

namespace ombrix::sheet {

// The system calls of a save, one virtual function a step, so tests can make any of them fail.
class SaveSteps {
 public:
  virtual ~SaveSteps() = default;
  // mkstemp: fills `path_template` (ending in XXXXXX) and returns a descriptor, or -1.
  virtual int CreateTemporary(std::string& path_template);
  virtual long Write(int fd, const std::uint8_t* data, std::size_t size);
  virtual int ChangeMode(int fd, unsigned mode);
  virtual int Flush(int fd);
  virtual int Close(int fd);
  virtual int Rename(const std::string& from, const std::string& to);
  virtual int Remove(const std::string& path);
};

// The file a save of `path` replaces: `path` itself, or the final target of a symbolic link.
// Error 75 for a link whose target is missing.
std::string ResolveSaveTarget(const std::string& path);

// Refuses (error 75, naming `path`) what a save may not replace: a missing file, one that is
// not a regular file, a read-only file, a file with hard links.
void RequireReplaceable(const std::string& path);

// Replaces the file at `path` with `bytes`. Any failure leaves the original byte-identical,
// removes the temporary file and raises error 75 with the path and the system's reason; a
// read-only original is refused the same way.
void SaveAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
void SaveAtomically(const std::string& path, std::span<const std::uint8_t> bytes, SaveSteps& steps);

// The same for an output that may not exist yet: a new file gets 0666 less the umask.
void CreateOrReplace(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace ombrix::sheet
