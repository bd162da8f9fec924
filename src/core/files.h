#pragma once
// The file system as the program sees it: the data folder, whole-file reads and
// atomic whole-file writes, folder listings.

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

// Writes the bytes to a temporary file in the same folder and renames it over
// path once complete, so no failure leaves a half-written file. A file that
// cannot be created throws Error::CannotCreate(path), a failed write
// Error::WriteFailed(); path is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

bool DirectoryExists(const std::string& path);

// Names (without folder) of the regular files directly in dir, in the order the
// file system gives them; directories and everything that is not a regular file
// are left out. A folder that cannot be listed gives an empty list.
std::vector<std::string> ListRegularFiles(const std::string& dir);

}  // namespace kt::fs
