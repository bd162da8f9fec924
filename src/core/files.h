#pragma once
// The file system as the program sees it: the data folder, whole-file reads and
// atomic whole-file writes, folder listings.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt::fs {

// The separator that stands where the Windows design has a backslash.
inline constexpr char kSeparator = '/';

// The DataDirectory: the process's current directory, read afresh at each call,
// of any length.
std::string CurrentDirectory();

// dir + separator + name.
std::string JoinPath(std::string_view dir, std::string_view name);

// The whole file as bytes, or none when it does not open (missing, unreadable, a folder).
std::optional<std::string> ReadWholeFile(const std::string& path);

// The whole file as bytes; a file that does not open throws Error::CannotOpen(path).
std::string ReadWholeFileOrThrow(const std::string& path);

// Writes the bytes to a temporary file in the same folder and puts it in place
// under path once complete, so no failure leaves a half-written file. A new
// file gets the mode that creating it would give; an existing one is replaced
// and keeps its permission bits, and through a symbolic link the file it points
// to is replaced. A file that cannot be created throws Error::CannotCreate(path),
// a failed write Error::WriteFailed(); path is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// A whole file written for its path but not yet in place: it has no name, so
// nothing of it can be seen until Commit. One that is destroyed uncommitted
// leaves nothing behind. Made by PrepareFile.
class PreparedFile {
 public:
  PreparedFile() = default;
  PreparedFile(PreparedFile&& other) noexcept;
  PreparedFile& operator=(PreparedFile&& other) noexcept;
  PreparedFile(const PreparedFile&) = delete;
  PreparedFile& operator=(const PreparedFile&) = delete;
  ~PreparedFile();

  // Puts the file in place with the outcome and the errors of
  // WriteFileAtomically(path, bytes). Once only.
  void Commit();

  std::size_t size() const { return bytes_.size(); }

 private:
  friend PreparedFile PrepareFile(std::string path, std::string bytes);

  std::string path_;
  std::string bytes_;  // kept for the cases that Commit must write afresh
  int fd_ = -1;        // the nameless file, or -1 when Commit has to write it
};

// Writes the bytes into a nameless file in the folder of path. Reports no error
// of the file system itself: a file that cannot be prepared so is written by
// Commit instead, which reports what fails then. Safe to call on any thread.
PreparedFile PrepareFile(std::string path, std::string bytes);

bool DirectoryExists(const std::string& path);

// Names (without folder) of the regular files directly in dir, in the order the
// file system gives them; directories and everything that is not a regular file
// are left out. A folder that cannot be listed gives an empty list.
std::vector<std::string> ListRegularFiles(const std::string& dir);

}  // namespace kt::fs
