#pragma once
// Code page 932 with the Windows mapping, written out as a table so that the core,
// the command line and the windows decode and encode alike, without Qt or iconv.

#include <string>
#include <string_view>

namespace kt::cp932 {

// Bytes that form no CP932 character decode to U+F700 + byte, a private-use range
// that CP932 itself never produces, so Encode gives them back unchanged.
constexpr char16_t kRawByteBase = 0xF700;

std::u16string Decode(std::string_view bytes);

// Characters that CP932 cannot represent become '?', as the ANSI conversion of the
// original platform does. Where several byte codes decode to one character, the
// code the Windows mapping prefers is written.
std::string Encode(std::u16string_view text);

// True when every character of the text has a CP932 code (raw-byte stand-ins count).
bool CanEncode(std::u16string_view text);

std::string ToUtf8(std::string_view sjis);
std::string FromUtf8(std::string_view utf8);

}  // namespace kt::cp932
