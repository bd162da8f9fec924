#pragma once
// Straightforward versions of the reading and matching rules, written for clarity
// and not speed, to check the real ones against.

#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "definitions/definition_files.h"

namespace kt::reference {

// Restarts the search at each rest and counts the lead run back to the rest's start.
inline std::string ReplaceAll(std::string_view text, std::string_view pattern,
                              std::string_view replacement) {
  std::string out;
  std::string_view rest = text;
  std::size_t nul = text.find('\0');  // a match ends before it, so the rest keeps it
  while (!rest.empty()) {
    const std::size_t offset = text.size() - rest.size();
    const std::size_t limit = nul == std::string_view::npos ? rest.size() : nul - offset;
    std::size_t found = std::string_view::npos;
    for (std::size_t p = 0; p + pattern.size() <= limit; ++p) {
      if (rest.compare(p, pattern.size(), pattern) != 0) continue;
      std::size_t run = 0;
      for (std::size_t j = p; j > 0 && IsLeadByte(static_cast<unsigned char>(rest[j - 1])); --j) ++run;
      if (run % 2 == 1) continue;
      found = p;
      break;
    }
    if (found == std::string_view::npos) {
      out += rest;
      break;
    }
    out += rest.substr(0, found);
    out += replacement;
    rest = rest.substr(found + pattern.size());
  }
  return out;
}

inline std::string ConvertText(const ConversionDefinition& d, std::string_view text) {
  std::string s(text);
  for (const ReplacementPair& pair : d.Pairs) {
    if (!pair.Before.empty()) s = ReplaceAll(s, pair.Before, pair.After);
  }
  if (d.LineBreakFlag) s = ReplaceAll(ReplaceAll(s, "\r", ""), "\n", "");
  return s;
}

// A text-mode reader with a 256-byte buffer, one byte at a time.
inline std::vector<std::string> Lines(std::string_view file) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : file) {
    if (c == '\x1A') break;
    if (c == '\r') continue;
    line += c;
    if (c == '\n' || line.size() == 255) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace kt::reference
