#include <gtest/gtest.h>

#include <string>

#include "core/bytes.h"
#include "core/cp932.h"
#include "core/error.h"

namespace kt {
namespace {

using namespace std::string_literals;

TEST(Trim, RemovesControlBytesAndBlanksAtBothEndsOnly) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"  \t\r\n", ""},
      {"\x01\x1F a b \x20\x7F", "a b \x20\x7F"},
      {"\0x\0"s, "x"},
      {"\x81\x40x\x81\x40", "\x81\x40x\x81\x40"},  // full-width space stays
      {" \x81\x40 ", "\x81\x40"},
      {"\xA0x\xFF", "\xA0x\xFF"},
  };
  for (const Case& c : cases) EXPECT_EQ(Trim(c.in), c.out) << c.in;
}

TEST(ByteCountText, DigitsThenSuffixInShiftJis) {
  const std::string suffix = "\x83\x6F\x83\x43\x83\x67\x82\xC5\x82\xB7\x81\x42";
  EXPECT_EQ(ByteCountText(""), "0" + suffix);
  EXPECT_EQ(ByteCountText(std::string(1234, 'x')), "1234" + suffix);
  EXPECT_EQ(cp932::ToUtf8(ByteCountText("\x82\xA0")), "2バイトです。");
}

TEST(NormalizeLineEnds, EveryKindOfLineEndBecomesCrLf) {
  EXPECT_EQ(NormalizeLineEnds(""), "");
  EXPECT_EQ(NormalizeLineEnds("a\r\nb\nc\rd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(NormalizeLineEnds("\r\r\n\n\r"), "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(NormalizeLineEnds("\n\r"), "\r\n\r\n");
  EXPECT_EQ(NormalizeLineEnds("x\0\n"s), "x\0\r\n"s);
}

TEST(Cp932, DecodesCharactersAndKeepsInvalidBytesAsRawStandIns) {
  EXPECT_EQ(cp932::Decode("A\\~\x82\xA0\xB1\x81\x40"), u"A\\~あｱ\u3000");
  // A lead before a byte that is no trail stands alone; the next byte is read afresh.
  EXPECT_EQ(cp932::Decode("\x82" "A"), u"\uF782A");
  EXPECT_EQ(cp932::Decode("\x85\x40"), u"\uF785@");  // unassigned pair
  EXPECT_EQ(cp932::Decode("\x82"), u"\uF782");        // lead at the end
  EXPECT_EQ(cp932::Decode("\x81\x81\x40"), u"\uFF1D@");
  EXPECT_EQ(cp932::Decode("\x80\xA0\xFD\xFF"), u"\u0080\uF8F0\uF8F1\uF8F3");
}

TEST(Cp932, EncodeGivesBackEveryByteStringExceptPreferredDuplicates) {
  // Every single byte and every lead + trail combination survives a round trip,
  // unless it is a duplicate code of a character.
  for (int a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    EXPECT_EQ(cp932::Encode(cp932::Decode(one)), one) << a;
  }
  EXPECT_EQ(cp932::Encode(cp932::Decode("\x87\x90")), "\x81\xE0");  // ≒
  EXPECT_EQ(cp932::Encode(cp932::Decode("\xED\x40")), "\xFA\x5C");  // 纊
  EXPECT_EQ(cp932::Encode(cp932::Decode("\xEE\xEF")), "\xFA\x40");  // ⅰ
  EXPECT_EQ(cp932::Encode(cp932::Decode("\xFA\x4A")), "\x87\x54");  // Ⅰ
  EXPECT_EQ(cp932::Encode(cp932::Decode("\xEE\xF9")), "\x81\xCA");  // ￢
  const std::string broken = "\x82\x82\xA0\x82\x7F\x85\x40\xFC\xFC\x81";
  EXPECT_EQ(cp932::Encode(cp932::Decode(broken)), broken);
  EXPECT_EQ(cp932::FromUtf8(cp932::ToUtf8(broken)), broken);
}

TEST(Cp932, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(cp932::Encode(u"a€b"), "a?b");
  EXPECT_EQ(cp932::Encode(u"😀"), "?");              // one mark for a surrogate pair
  EXPECT_EQ(cp932::Encode(u"\xD800x"), "?x");         // lone surrogate
  EXPECT_EQ(cp932::Encode(u"¢"), "\x81\x91");         // best fit, as Windows writes it
  EXPECT_FALSE(cp932::CanEncode(u"日本€"));
  EXPECT_TRUE(cp932::CanEncode(u"日本\uF780"));
  EXPECT_EQ(cp932::FromUtf8("ことつぎ€😀\xFF"), "\x82\xB1\x82\xC6\x82\xC2\x82\xAC???");
  EXPECT_EQ(cp932::FromUtf8("\xE3\x81"), "??");  // truncated sequence
  EXPECT_EQ(cp932::ToUtf8("\x95\xCF\x8A\xB7\x92\xE8\x8B\x60\x82\x50"), "変換定義１");
}

TEST(Error, MessagesKeepEachPieceInItsEncoding) {
  EXPECT_EQ(Error::CannotOpen("/tmp/日本/a.txt").Utf8(), "ファイル /tmp/日本/a.txt は開けません");
  EXPECT_EQ(Error::CannotCreate("/d/brpl1.rpl").Utf8(), "ファイル /d/brpl1.rpl を作成できません");
  EXPECT_STREQ(Error::WriteFailed().what(), "ストリームへの書き込みエラー");

  const Error e({{MessagePiece::Kind::ShiftJis, "\x82\xA0"},
                 {MessagePiece::Kind::Text, " / "},
                 {MessagePiece::Kind::Path, "\xE3\x81\x82"}});
  EXPECT_EQ(e.Utf8(), "あ / あ");
  ASSERT_EQ(e.pieces().size(), 3u);
  EXPECT_EQ(e.pieces()[0].bytes, "\x82\xA0");
}

}  // namespace
}  // namespace kt
