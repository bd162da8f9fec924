#include "core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <utility>

#include "core/error.h"
#include "core/memory.h"

namespace kt::fs {

namespace {

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// The mode a file gets when created normally. Read from /proc so that the process
// umask is never changed, not even for a moment.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    bool found = false;
    while (std::getline(status, line)) {
      if (line.rfind("Umask:", 0) == 0) {
        mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        found = true;
        break;
      }
    }
    if (!found) {
      mask = ::umask(022);
      ::umask(mask);
    }
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Every case: the target resolved through a symbolic link, checked, then a
// named temporary file in its folder renamed over it.
void WriteByRenaming(const std::string& path, std::string_view bytes) {
  // Through a symbolic link the file it points to is replaced, as opening it would.
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  mode_t mode = NewFileMode();
  if (::stat(target.c_str(), &st) == 0) {
    // An existing file that could not be opened for writing cannot be replaced either.
    if (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0) throw Error::CannotCreate(path);
    mode = st.st_mode & 07777;
  }

  const std::size_t slash = target.rfind(kSeparator);
  const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = dir + "." + name + ".XXXXXX";

  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) throw Error::CannotCreate(path);

  const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temp.c_str());
    throw Error::WriteFailed();
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw Error::CannotCreate(path);
  }
}

// The folder a path's file lives in, as open(2) takes it.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind(kSeparator);
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// A file with no name in the folder of path holding the bytes, or -1 when the
// file system has no such files, the folder does not take one, or the write fails.
// Mode 0666 lets the umask and a default ACL apply as they would to a new file.
int WriteNameless(const std::string& path, std::string_view bytes) {
  const int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (!WriteAll(fd, bytes)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Gives the nameless file behind fd the name path; fails with EEXIST when the
// name is taken, and never replaces anything.
bool LinkNameless(int fd, const std::string& path) {
  // Linking the descriptor itself spares the walk through /proc. Kernels before
  // 6.10 allow that only to privileged callers and answer ENOENT; once /proc has
  // done what the direct way refused, the direct way is not tried again.
  static std::atomic<bool> direct{true};
  if (direct.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
  }
  char proc[32];
  std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, proc, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
  direct.store(false, std::memory_order_relaxed);
  return true;
}

// An existing plain file replaced by the nameless one, keeping its permission
// bits: linked under a fresh temporary name beside it, then renamed over it.
// False when the target is anything else (a link, a folder, gone), which the
// general path sorts out.
bool ReplaceWithNameless(int fd, const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (::access(path.c_str(), W_OK) != 0) throw Error::CannotCreate(path);
  if (::fchmod(fd, st.st_mode & 07777) != 0) throw Error::WriteFailed();

  const std::size_t slash = path.rfind(kSeparator);
  const std::string stem = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                           "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A name taken already only costs another attempt, so a weak fallback will do.
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
      random = static_cast<std::uint64_t>(::clock()) * 6364136223846793005u ^
               static_cast<std::uint64_t>(::getpid()) << 20 ^ static_cast<std::uint64_t>(attempt);
    }
    std::string temp = stem;
    for (int k = 0; k < 6; ++k, random /= sizeof kLetters - 1)
      temp += kLetters[random % (sizeof kLetters - 1)];
    if (!LinkNameless(fd, temp)) {
      if (errno == EEXIST) continue;
      throw Error::CannotCreate(path);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
      ::unlink(temp.c_str());
      throw Error::CannotCreate(path);
    }
    return true;
  }
  throw Error::CannotCreate(path);
}

// The nameless file put in place under path; false when the general path has to
// write it instead.
bool PlaceNameless(int fd, const std::string& path) {
  if (LinkNameless(fd, path)) return true;
  return errno == EEXIST && ReplaceWithNameless(fd, path);
}

}  // namespace

std::string CurrentDirectory() {
  std::string buf(256, '\0');
  for (;;) {
    if (::getcwd(buf.data(), buf.size()) != nullptr) {
      buf.resize(std::char_traits<char>::length(buf.c_str()));
      return buf;
    }
    if (errno != ERANGE) return ".";
    buf.resize(buf.size() * 2);
  }
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != kSeparator) path += kSeparator;
  path += name;
  return path;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  FdCloser closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;

  // One byte more than the size reported, so that the end is seen without a regrowth.
  std::string bytes;
  const std::size_t expected = S_ISREG(st.st_mode) && st.st_size > 0
                                   ? static_cast<std::size_t>(st.st_size) + 1
                                   : std::size_t{64 * 1024};
  ReserveLarge(bytes, expected);
  bytes.resize(expected);
  // A plain file that gave all its reported bytes and fewer than asked is at its
  // end: that spares the read that would only return 0.
  const std::size_t reported = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  std::size_t size = 0;
  for (;;) {
    if (size == bytes.size()) bytes.resize(bytes.size() * 2);
    const std::size_t asked = bytes.size() - size;
    const ssize_t n = ::read(fd, bytes.data() + size, asked);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
    if (reported > 0 && size >= reported && static_cast<std::size_t>(n) < asked) break;
  }
  bytes.resize(size);
  return bytes;
}

std::string ReadWholeFileOrThrow(const std::string& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) throw Error::CannotOpen(path);
  return std::move(*bytes);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  // A new file is written under no name and linked into place whole: no checks
  // of a target that is not there, no temporary name, no rename.
  const int fd = WriteNameless(path, bytes);
  const FdCloser closer{fd};
  if (fd >= 0 && PlaceNameless(fd, path)) return;
  WriteByRenaming(path, bytes);
}

PreparedFile::PreparedFile(PreparedFile&& other) noexcept
    : path_(std::move(other.path_)), bytes_(std::move(other.bytes_)),
      fd_(std::exchange(other.fd_, -1)) {}

PreparedFile& PreparedFile::operator=(PreparedFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    bytes_ = std::move(other.bytes_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

// A nameless file is freed by the file system with its last descriptor.
PreparedFile::~PreparedFile() {
  if (fd_ >= 0) ::close(fd_);
}

void PreparedFile::Commit() {
  const FdCloser closer{std::exchange(fd_, -1)};
  if (closer.fd >= 0 && PlaceNameless(closer.fd, path_)) return;
  WriteByRenaming(path_, bytes_);
}

PreparedFile PrepareFile(std::string path, std::string bytes) {
  PreparedFile file;
  file.fd_ = WriteNameless(path, bytes);
  file.path_ = std::move(path);
  file.bytes_ = std::move(bytes);
  return file;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> ListRegularFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  const int dfd = ::dirfd(d);
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    bool regular = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      // A link to a regular file counts as the file it leads to.
      struct stat st {};
      regular = ::fstatat(dfd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) names.emplace_back(name);
  }
  ::closedir(d);
  return names;
}

}  // namespace kt::fs
