#pragma once
// Byte-string rules shared by every part of the program. All texts are Shift-JIS
// (code page 932) bytes; lengths and limits count bytes.

#include <string>
#include <string_view>

namespace kt {

// Lead bytes of a Shift-JIS double-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Removes every byte of value 0x20 or less from both ends. The full-width space
// (0x81 0x40) is an ordinary character and stays.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

// The byte length in decimal digits followed by "バイトです。", as Shift-JIS bytes.
std::string ByteCountText(std::string_view text);

// Every line end (CR LF, a lone CR, a lone LF) becomes CR LF.
std::string NormalizeLineEnds(std::string_view text);

}  // namespace kt
