#include <gtest/gtest.h>

#include <string>

#include "conversion/engine.h"
#include "test_core_reference.h"
#include "test_core_support.h"

namespace kt {
namespace {

using namespace std::string_literals;

struct ReplaceCase {
  std::string text, pattern, replacement, expected;
};

TEST(ReplaceAll, MatchesLeftToRightWithoutOverlapAndNeverAtATrailPosition) {
  const ReplaceCase cases[] = {
      {"", "a", "x", ""},
      {"aabb", "ab", "a", "aab"},
      {"aaa", "aa", "b", "ba"},
      {"aa", "a", "aa", "aaaa"},  // a replacement is not searched again
      {"ab", "abc", "x", "ab"},
      {"xab", "ab", "", "x"},
      // ソ (0x83 0x5C) then a backslash: only the backslash is matched.
      {"\x83\x5C\x5C", "\\", "/", "\x83\x5C/"},
      {"\xE0\x5C\x5C\xFC\x5C", "\\", "/", "\xE0\x5C/\xFC\x5C"},
      // Half-width kana and the bytes 0x80, 0xA0, 0xFD are no lead bytes.
      {"\xB1\\\x80\\\xA0\\\xFD\\", "\\", "/", "\xB1/\x80/\xA0/\xFD/"},
      // The lead run is counted across the whole run, not just one byte back.
      {"\x82\x82\\\x82\x82\x82\\", "\\", "/", "\x82\x82/\x82\x82\x82\\"},
      {"\x81\x82\x82", "\x82\x82", "R", "\x81\x82\x82"},
      {"q\x82\x82\x82", "\x82\x82", "R", "qR\x82"},
      // The count starts afresh after each match.
      {"\x82\x82\x82", "\x82", "z", "zzz"},
      {"\x82\x82\x82\x5C", "\x82\x82", "", "\x82\x5C"},
      {"a\x82" "a\x82", "a\x82", "-", "--"},
      // The search stops at the first NUL; what follows passes through.
      {"ab\0ab"s, "ab", "x", "x\0ab"s},
      {"a\0"s, "a", "", "\0"s},
      {"\0a"s, "a", "x", "\0a"s},
      {"a\0b"s, "a\0b"s, "x", "a\0b"s},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.expected) << c.text << " / " << c.pattern;
    EXPECT_EQ(reference::ReplaceAll(c.text, c.pattern, c.replacement), c.expected) << c.text;
  }
}

TEST(DeleteLineBreaks, RemovesCrThenLfButNotAtATrailPosition) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb\nc\rd", "abcd"},
      {"\r\n\r\n", ""},
      {"\x82\xA0\r\n", "\x82\xA0"},
      {"\x82\r\nx", "\x82\rx"},       // CR after an odd lead run stays, the LF goes
      {"\x82\x82\r\n", "\x82\x82"},
      {"\x82\r\r", "\x82\r"},
      {"\x82\n\r\n", "\x82\n"},
      {"a\r\0\r\n"s, "a\0\r\n"s},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DeleteLineBreaks(in), out) << in;
}

ConversionDefinition Pairs(std::initializer_list<ReplacementPair> pairs, bool flag = false) {
  ConversionDefinition d;
  std::size_t i = 0;
  for (const ReplacementPair& p : pairs) d.Pairs[i++] = p;
  d.LineBreakFlag = flag;
  return d;
}

TEST(ConvertText, PairsInOrderThenLineBreakDeletion) {
  EXPECT_EQ(ApplyReplacements(Pairs({{"a", "b"}, {"b", "c"}}), "ab"), "cc");
  EXPECT_EQ(ApplyReplacements(Pairs({{"b", "c"}, {"a", "b"}}), "ab"), "bc");
  EXPECT_EQ(ApplyReplacements(Pairs({{"a", "x"}, {"", "q"}, {"c", ""}}), "abcabc"), "xbxb");
  EXPECT_EQ(ApplyReplacements(ConversionDefinition{}, "same\r\n"), "same\r\n");

  // The deletion runs after every pair, so line breaks a pair inserts go as well.
  const ConversionDefinition d = Pairs({{"x", "\r\n"}, {"", ""}, {"e", "E"}}, true);
  EXPECT_EQ(ConvertText(d, "line\r\nxone\r\n"), "linEonE");
  EXPECT_EQ(ConvertText(Pairs({{"x", "\r\n"}}, false), "axb\n"), "a\r\nb\n");
  EXPECT_EQ(ConvertText(d, ""), "");
}

class LoadDefinitionTest : public test::DataFolderTest {
 protected:
  void WriteSlot(int slot, const std::string& b, const std::string& a, const std::string& k) {
    const std::string n = std::to_string(slot);
    Write("brpl" + n + ".rpl", b);
    Write("arpl" + n + ".rpl", a);
    Write("krpl" + n + ".rpl", k);
  }
};

TEST_F(LoadDefinitionTest, FailsWithoutSlotOrAtTheFirstFileThatDoesNotOpen) {
  std::string failed = "stale";
  EXPECT_FALSE(LoadConversionDefinition(std::nullopt, &failed));
  EXPECT_EQ(failed, "");
  EXPECT_FALSE(LoadConversionDefinition(1, &failed));
  EXPECT_EQ(failed, Path("brpl1.rpl"));
  Write("brpl1.rpl", "a\r\n");
  EXPECT_FALSE(LoadConversionDefinition(1, &failed));
  EXPECT_EQ(failed, Path("arpl1.rpl"));
  Write("arpl1.rpl", "");
  EXPECT_FALSE(LoadConversionDefinition(1, &failed));
  EXPECT_EQ(failed, Path("krpl1.rpl"));
  Write("krpl1.rpl", "");
  const auto loaded = LoadConversionDefinition(1, &failed);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(failed, "");
  EXPECT_EQ(loaded->FlagLine, "");
  EXPECT_FALSE(loaded->Definition.LineBreakFlag);
  EXPECT_EQ(loaded->Definition.Pairs[0].Before, "a");
  EXPECT_EQ(loaded->Definition.Pairs[0].After, "");
}

TEST_F(LoadDefinitionTest, PairsArePairedByPositionAfterTrimmingAndCutting) {
  WriteSlot(2, "a\r\n\r\nc\r\n \t \r\n\x81\x40q\x81\x40\r\n", "x\r\n", "1\r\n");
  auto loaded = LoadConversionDefinition(2);
  ASSERT_TRUE(loaded);
  const ConversionDefinition& d = loaded->Definition;
  EXPECT_EQ(d.Pairs[2].Before, "c");
  EXPECT_EQ(d.Pairs[3].Before, "");
  EXPECT_EQ(d.Pairs[4].Before, "\x81\x40q\x81\x40");
  EXPECT_EQ(d.DisplayName, "");
  EXPECT_EQ(ConvertText(d, "abc\r\nc\x81\x40q\x81\x40\n"), "xb");

  // A 300-byte before line takes two positions and pushes the rest down; line 10 drops out.
  const std::string s300(300, 'L');
  WriteSlot(3, s300 + "\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n", " x \r\n", "0\n");
  loaded = LoadConversionDefinition(3);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Definition.Pairs[0].Before, s300.substr(0, 255));
  EXPECT_EQ(loaded->Definition.Pairs[1].Before, s300.substr(255));
  EXPECT_EQ(loaded->Definition.Pairs[2].Before, "2");
  EXPECT_EQ(loaded->Definition.Pairs[9].Before, "9");
  EXPECT_EQ(loaded->Definition.Pairs[0].After, "x");
  EXPECT_EQ(loaded->FlagLine, "0\n");
}

TEST_F(LoadDefinitionTest, FlagLineIsTheFirstLineAsRead) {
  const std::pair<std::string, std::string> cases[] = {
      {"1\r\n", "1\n"}, {"1\nmore\n", "1\n"}, {"1", "1"},     {"0\n", "0\n"},
      {" 1\r\n", " 1\n"}, {"", ""},           {"\x1A" "1\n", ""},
      {std::string(300, '1'), std::string(255, '1')},
  };
  for (const auto& [file, line] : cases) {
    WriteSlot(4, "", "", file);
    const auto loaded = LoadConversionDefinition(4);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->FlagLine, line) << file;
    EXPECT_EQ(loaded->Definition.LineBreakFlag, line == "1\n") << file;
  }
  WriteSlot(4, "a\r\n", "b\r\n", "1\r\n");
  const auto loaded = LoadConversionDefinition(4);
  EXPECT_EQ(ConvertText(loaded->Definition, "a\r\nb\nc\rd"), "bbcd");
}

TEST(Engine, LinearOnRunsOfLeadBytes) {
  // Every candidate stands at a trail position; rescanning the run back to the start
  // of the rest at each one would take hours here.
  std::string text = "A";
  for (int i = 0; i < (1 << 20); ++i) text += "\x81\x82";
  EXPECT_EQ(ReplaceAll(text, "\x82\x81", "R"), text);
  EXPECT_EQ(ReplaceAll(std::string(4 << 20, '\x82'), "\x82\x82", ""), "");
}

}  // namespace
}  // namespace kt
