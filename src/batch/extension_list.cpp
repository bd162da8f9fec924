#include "batch/extension_list.h"

#include <fcntl.h>
#include <unistd.h>

#include "core/bytes.h"
#include "core/files.h"

namespace kt {

std::vector<std::string> DefaultExtensionList() { return {".txt", ".html", ".htm", ".php"}; }

std::string ExtensionListPath() {
  return fs::JoinPath(fs::CurrentDirectory(), kExtensionListFileName);
}

std::vector<std::string> SplitListLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(bytes.substr(start, i - start));
    i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

std::vector<std::string> LoadExtensionList() {
  const std::string path = ExtensionListPath();
  // Only a file that does not open at all gives the defaults; one that opens but
  // cannot then be read whole is an error, and the caller keeps its old list.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return DefaultExtensionList();
  ::close(fd);
  return SplitListLines(fs::ReadWholeFileOrThrow(path));
}

void SaveExtensionList(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const auto& entry : entries) {
    bytes += entry;
    bytes += "\r\n";
  }
  fs::WriteFileAtomically(ExtensionListPath(), bytes);
}

bool IsBlankEntry(std::string_view entry) { return TrimView(entry).empty(); }

}  // namespace kt
