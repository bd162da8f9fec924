#include "core/line_reader.h"

#include <algorithm>
#include <cstring>

#include "core/files.h"

namespace kt {

std::optional<TextModeLineReader> TextModeLineReader::Open(const std::string& path) {
  std::optional<std::string> bytes = fs::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return TextModeLineReader(*bytes);
}

TextModeLineReader::TextModeLineReader(std::string_view fileBytes) {
  // 0x1A ends the file before anything after it is looked at.
  const std::size_t eof = fileBytes.find('\x1A');
  if (eof != std::string_view::npos) fileBytes = fileBytes.substr(0, eof);
  text_.reserve(fileBytes.size());
  std::remove_copy(fileBytes.begin(), fileBytes.end(), std::back_inserter(text_), '\r');
}

std::optional<std::string> TextModeLineReader::NextLine() {
  if (pos_ >= text_.size()) return std::nullopt;
  const std::size_t avail = std::min(kPieceSize, text_.size() - pos_);
  const char* start = text_.data() + pos_;
  const void* lf = std::memchr(start, '\n', avail);
  const std::size_t len = lf ? static_cast<const char*>(lf) - start + 1 : avail;
  pos_ += len;
  return std::string(start, len);
}

}  // namespace kt
