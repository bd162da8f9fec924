#include "core/bytes.h"

#include <cstring>

#include "core/memory.h"

namespace kt {

namespace {
constexpr bool IsBlank(unsigned char b) { return b <= 0x20; }
}  // namespace

std::string_view TrimView(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(static_cast<unsigned char>(s[begin]))) ++begin;
  while (end > begin && IsBlank(static_cast<unsigned char>(s[end - 1]))) --end;
  return s.substr(begin, end - begin);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string ByteCountText(std::string_view text) {
  // "バイトです。" in Shift-JIS.
  static constexpr char kSuffix[] = "\x83\x6F\x83\x43\x83\x67\x82\xC5\x82\xB7\x81\x42";
  return std::to_string(text.size()) + kSuffix;
}

std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  ReserveLarge(out, text.size() + text.size() / 16 + 16);
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', end - p));
    const char* stop = cr ? cr : end;
    // Lone LFs inside the stretch before the next CR.
    while (p < stop) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (!lf) {
        out.append(p, stop);
        p = stop;
        break;
      }
      out.append(p, lf);
      out.append("\r\n", 2);
      p = lf + 1;
    }
    if (!cr) break;
    out.append("\r\n", 2);
    p = cr + 1;
    if (p < end && *p == '\n') ++p;
  }
  return out;
}

}  // namespace kt
