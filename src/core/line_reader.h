#pragma once
// Reads a data file the way the C runtime's text mode with a 256-byte line buffer
// does: every CR byte is dropped wherever it stands, a 0x1A byte ends the file,
// and a line comes in pieces of at most 255 bytes, its LF included.

#include <optional>
#include <string>
#include <string_view>

namespace kt {

class TextModeLineReader {
 public:
  static constexpr std::size_t kPieceSize = 255;

  // None when the file does not open for reading.
  static std::optional<TextModeLineReader> Open(const std::string& path);

  // A reader over bytes as they stand in a file.
  explicit TextModeLineReader(std::string_view fileBytes);

  // The next piece: up to and including the next LF, at most 255 bytes; none at
  // the end of the file.
  std::optional<std::string> NextLine();

 private:
  std::string text_;  // the file's bytes with CRs dropped, cut at the first 0x1A
  std::size_t pos_ = 0;
};

}  // namespace kt
