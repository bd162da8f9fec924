#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "conversion/engine.h"
#include "core/line_reader.h"
#include "test_core_reference.h"

// Seeded random inputs from a small alphabet, so that matches, lead runs, NULs and
// line ends are frequent, checked against the straightforward rules.
namespace kt {
namespace {

// The first eight hold no line end, NUL or 0x1A.
constexpr char kAlphabet[] = {'a', 'b', '\\', '\x82', '\x81', '\xE0', '\xA0', '\xB1',
                              '\r', '\n', ' ', '\0', '\x1A'};

class Random {
 public:
  explicit Random(unsigned seed) : gen_(seed) {}
  std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(gen_); }
  std::string Bytes(std::size_t n, std::size_t alphabet = sizeof kAlphabet) {
    std::string s(n, '\0');
    for (char& c : s) c = kAlphabet[Below(alphabet)];
    return s;
  }
  // NULs are rare in real text; most inputs get none, some get a few. Some texts
  // are mostly lead bytes, so that long lead runs come up.
  std::string Text(std::size_t n) {
    std::string s = Bytes(n, sizeof kAlphabet - 3);
    if (Below(5) == 0) {
      for (char& c : s) {
        if (Below(8) != 0) c = Below(2) ? '\x82' : '\xE0';
      }
    }
    if (n > 0 && Below(4) == 0) s[Below(n)] = '\0';
    return s;
  }
  // At times a piece of the text, so that long patterns match too.
  std::string Pattern(const std::string& text, std::size_t maxSize, std::size_t alphabet) {
    if (text.size() > 0 && Below(3) == 0) {
      const std::size_t size = 1 + Below(std::min(maxSize, text.size()));
      return text.substr(Below(text.size() - size + 1), size);
    }
    return Bytes(1 + Below(maxSize), alphabet);
  }

 private:
  std::mt19937 gen_;
};

TEST(Fuzz, ReplaceAllAgreesWithTheReference) {
  Random r(20240601);
  for (int i = 0; i < 30000; ++i) {
    // Short texts take the byte-by-byte end of a scan; longer ones its 64-byte steps,
    // with long lead runs and replacements longer than a step's copy at times.
    const std::string text = r.Text(i % 4 == 0 ? 128 + r.Below(1000) : r.Below(64));
    const std::string pattern = r.Pattern(text, i % 9 == 0 ? 80 : 4, 6 + r.Below(8));
    const std::string replacement = r.Bytes(r.Below(i % 5 == 0 ? 100 : 4));
    // Held without spare room, so that the sanitizer build sees any read past the end.
    const std::vector<char> exact(text.begin(), text.end());
    const std::string_view view(exact.data(), exact.size());
    ASSERT_EQ(ReplaceAll(view, pattern, replacement), reference::ReplaceAll(text, pattern, replacement))
        << "seed step " << i;
  }
}

TEST(Fuzz, ReplaceAllAgreesOnLeadHeavyTextsWithFrequentMatches) {
  // Mostly lead bytes with a few others, and patterns cut from the text, so that
  // matches are frequent, run across 64-byte steps and start and end inside lead
  // runs, and many candidates stand at trail positions.
  constexpr char kLeadHeavy[] = {'\x82', '\xE0', '\x9F', 'a', '\\', '\x82', '\xE0', '\xA0'};
  Random r(4242);
  for (int i = 0; i < 3000; ++i) {
    // In stretches of differing mix, so that the share of trail candidates changes.
    std::string text;
    for (std::size_t n = 200 + r.Below(3000); text.size() < n;) {
      const std::size_t alphabet = 3 + r.Below(sizeof kLeadHeavy - 2);
      const bool ordinary = r.Below(3) == 0;
      for (std::size_t k = 1 + r.Below(600); k > 0; --k) {
        text += ordinary ? kAlphabet[r.Below(8)] : kLeadHeavy[r.Below(alphabet)];
      }
    }
    const std::size_t size = 1 + r.Below(i % 3 == 0 ? 40 : 6);
    const std::string pattern = text.substr(r.Below(text.size() - size), size);
    const std::string replacement = r.Bytes(r.Below(i % 4 == 0 ? 70 : 4));
    const std::vector<char> exact(text.begin(), text.end());
    const std::string_view view(exact.data(), exact.size());
    ASSERT_EQ(ReplaceAll(view, pattern, replacement), reference::ReplaceAll(text, pattern, replacement))
        << "seed step " << i;
  }
}

TEST(Fuzz, BackToBackMatchesAfterTrailCandidatesAtEveryAlignment) {
  // A stretch where the pattern stands at trail positions again and again, then
  // quiet bytes, then three matches in a row starting with lead bytes: moved along
  // one byte at a time, so that a match ends across every step boundary, also
  // where the scan changes how it tells trail positions, and near the end. The
  // last pattern also stands inside its own matches.
  const std::string patterns[] = {"\x82\x82\x82" "a", "\x82" "a", "\xE0\x82" "a\\", "\x82" "a\x82" "a"};
  for (const std::string& pattern : patterns) {
    std::string trailStretch;
    while (trailStretch.size() < 600) trailStretch += "\x82" + pattern;
    for (std::size_t quiet = 0; quiet < 1100; ++quiet) {
      for (std::size_t tail = quiet < 64 ? 0 : 130; tail <= (quiet < 64 ? 200 : 130); ++tail) {
        const std::string text = trailStretch + std::string(quiet, 'b') + pattern + pattern + pattern +
                                 std::string(tail, 'b');
        ASSERT_EQ(ReplaceAll(text, pattern, "-"), reference::ReplaceAll(text, pattern, "-"))
            << pattern << " " << quiet << " " << tail;
      }
    }
  }
}

TEST(Fuzz, ConvertTextAgreesWithTheReferenceAcrossBlocks) {
  Random r(77);
  for (int i = 0; i < 300; ++i) {
    // Some texts are long enough to be converted in several blocks.
    const std::size_t size = i % 50 == 0 ? 60000 + r.Below(100000) : r.Below(400);
    const std::string text = r.Text(size);
    ConversionDefinition d;
    for (ReplacementPair& pair : d.Pairs) {
      if (r.Below(5) == 0) continue;
      pair.Before = r.Pattern(text, i % 7 == 0 ? 300 : 3, 7);
      pair.After = r.Bytes(r.Below(4), 9);
    }
    d.LineBreakFlag = r.Below(2) == 0;
    ASSERT_EQ(ConvertText(d, text), reference::ConvertText(d, text)) << "step " << i;
  }
}

TEST(Fuzz, LineReaderAgreesWithTheReference) {
  Random r(5);
  for (int i = 0; i < 3000; ++i) {
    // Without line ends at times, so that long lines are cut into pieces.
    std::string file = r.Bytes(r.Below(800), i % 3 == 0 ? 8 : sizeof kAlphabet);
    if (r.Below(2) == 0) {
      for (std::size_t k = 0; k < file.size(); ++k) {
        if (file[k] == '\x1A') file[k] = 'a';
      }
    }
    TextModeLineReader reader(file);
    std::vector<std::string> lines;
    while (auto line = reader.NextLine()) lines.push_back(*line);
    ASSERT_EQ(lines, reference::Lines(file)) << "step " << i;
  }
}

}  // namespace
}  // namespace kt
