#include "core/cp932.h"

#include <memory>

#include "core/bytes.h"

namespace kt::cp932 {

namespace {

#include "core/cp932_table.inc"

constexpr int PairIndex(unsigned char lead, unsigned char trail) {
  const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1);
  return row * kTrailCount + (trail - kTrailFirst);
}

constexpr unsigned short kNoCode = 0xFFFF;

// Unicode (BMP) to code: below 0x100 a single byte, else lead << 8 | trail.
struct EncodeTable {
  std::unique_ptr<unsigned short[]> code{new unsigned short[0x10000]};

  EncodeTable() {
    for (int i = 0; i < 0x10000; ++i) code[i] = kNoCode;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
        const char16_t ch = kPairs[PairIndex(static_cast<unsigned char>(lead),
                                             static_cast<unsigned char>(trail))];
        if (ch != 0 && code[ch] == kNoCode) code[ch] = static_cast<unsigned short>(lead << 8 | trail);
      }
    }
    for (int b = 0; b < 256; ++b) {
      if (IsLeadByte(static_cast<unsigned char>(b))) continue;
      if (code[kSingle[b]] == kNoCode) code[kSingle[b]] = static_cast<unsigned short>(b);
    }
    for (const EncodeOverride& o : kEncodeOverrides) code[o.ch] = o.code;
  }
};

const EncodeTable& Encoder() {
  static const EncodeTable table;
  return table;
}

// The code of one BMP character, or kNoCode.
unsigned short CodeOf(char32_t ch, const EncodeTable& table) {
  if (ch < 0x80) return static_cast<unsigned short>(ch);
  if (ch > 0xFFFF || (ch >= 0xD800 && ch < 0xE000)) return kNoCode;
  if ((ch & 0xFF00) == kRawByteBase) return static_cast<unsigned short>(ch & 0xFF);
  return table.code[ch];
}

void AppendCode(std::string& out, unsigned short code) {
  if (code == kNoCode) {
    out += '?';
  } else if (code < 0x100) {
    out += static_cast<char>(code);
  } else {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }
}

// Calls sink(char16_t) for each character of the Shift-JIS bytes.
template <typename Sink>
void DecodeInto(std::string_view bytes, Sink&& sink) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      sink(static_cast<char16_t>(b));
      ++i;
    } else if (IsLeadByte(b)) {
      char16_t ch = 0;
      if (i + 1 < n && p[i + 1] >= kTrailFirst && p[i + 1] <= kTrailLast) ch = kPairs[PairIndex(b, p[i + 1])];
      if (ch != 0) {
        sink(ch);
        i += 2;
      } else {
        // The lead stands alone; whatever follows it is read afresh.
        sink(static_cast<char16_t>(kRawByteBase + b));
        ++i;
      }
    } else {
      sink(kSingle[b]);
      ++i;
    }
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// One code point from UTF-8 at p (advancing p); kInvalid for a malformed byte,
// which is then skipped alone.
char32_t NextUtf8(const unsigned char*& p, const unsigned char* end) {
  const unsigned char b = *p++;
  if (b < 0x80) return b;
  int extra;
  char32_t cp;
  char32_t min;
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1, cp = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2, cp = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3, cp = b & 0x07, min = 0x10000;
  } else {
    return kInvalid;
  }
  if (end - p < extra) return kInvalid;
  for (int k = 0; k < extra; ++k) {
    if ((p[k] & 0xC0) != 0x80) return kInvalid;
    cp = cp << 6 | (p[k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return kInvalid;
  p += extra;
  return cp;
}

}  // namespace

std::u16string Decode(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  DecodeInto(bytes, [&out](char16_t ch) { out += ch; });
  return out;
}

std::string Encode(std::u16string_view text) {
  const EncodeTable& table = Encoder();
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (ch >= 0xD800 && ch < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      ++i;  // one '?' for the whole character outside the BMP
    }
    AppendCode(out, CodeOf(ch, table));
  }
  return out;
}

bool CanEncode(std::u16string_view text) {
  const EncodeTable& table = Encoder();
  for (const char16_t ch : text) {
    if (CodeOf(ch, table) == kNoCode) return false;
  }
  return true;
}

std::string ToUtf8(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 2);
  DecodeInto(sjis, [&out](char16_t ch) { AppendUtf8(out, ch); });
  return out;
}

std::string FromUtf8(std::string_view utf8) {
  const EncodeTable& table = Encoder();
  std::string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  while (p < end) {
    const char32_t cp = NextUtf8(p, end);
    AppendCode(out, cp == kInvalid ? kNoCode : CodeOf(cp, table));
  }
  return out;
}

}  // namespace kt::cp932
