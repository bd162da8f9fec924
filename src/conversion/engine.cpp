#include "conversion/engine.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/bytes.h"
#include "core/line_reader.h"

namespace kt {

namespace {

// One ReplaceAll as a left-to-right transducer, fed a stream in blocks. Its state
// between blocks is whether the first byte not yet decided stands at a trail
// position, and whether the first NUL has gone by; the undecided bytes (fewer than
// the pattern's length) come again at the front of the next block. So ten passes
// can run block by block in the cache and still give exactly what ten whole-text
// passes would.
class Pass {
 public:
  Pass(std::string_view pattern, std::string_view replacement)
      : pattern_(pattern), replacement_(replacement) {
    // A match lies before the first NUL of the rest, so a pattern holding a NUL never matches.
    inert_ = pattern_.empty() || pattern_.find('\0') != std::string::npos;
  }

  // Appends the output decided by data[0, n) to out and returns how many input bytes
  // that took; with last the whole input is taken.
  std::size_t Feed(const char* data, std::size_t n, bool last, std::string& out) {
    if (inert_ || nulSeen_) {
      out.append(data, n);
      return n;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    const auto* pat = reinterpret_cast<const unsigned char*>(pattern_.data());
    const std::size_t m = pattern_.size();

    std::size_t emitted = 0;  // input before this is in out
    std::size_t known = 0;    // a position whose trail state is known...
    bool knownTrail = trail_; // ...and that state

    // Whether c stands at a trail position, judged from the last known position on,
    // which then moves to c: every byte is walked back over at most once.
    auto trailAt = [&](std::size_t c) {
      std::size_t j = c;
      while (j > known && IsLeadByte(s[j - 1])) --j;
      const bool odd = ((c - j) & 1) != 0;
      const bool trail = j > known ? odd : (knownTrail != odd);
      known = c;
      knownTrail = trail;
      return trail;
    };

    // Candidate c: the first and last bytes of the pattern stand at c, or c holds a NUL.
    // Returns true when c was a match (emitted); sets stop when a NUL ends the search.
    bool stop = false;
    auto visit = [&](std::size_t c) {
      if (s[c] == 0) {
        stop = true;
        return false;
      }
      if (m > 2 && std::memcmp(s + c + 1, pat + 1, m - 2) != 0) return false;
      if (trailAt(c)) return false;
      out.append(data + emitted, c - emitted);
      out.append(replacement_);
      emitted = c + m;
      known = emitted;
      knownTrail = false;
      return true;
    };

    const unsigned char first = pat[0];
    const unsigned char lastByte = pat[m - 1];
    std::size_t c = 0;
    if (n >= m) {
      const std::size_t lastCandidate = n - m;
#if defined(__SSE2__)
      const __m128i vFirst = _mm_set1_epi8(static_cast<char>(first));
      const __m128i vLast = _mm_set1_epi8(static_cast<char>(lastByte));
      const __m128i vZero = _mm_setzero_si128();
      while (!stop && c + 15 <= lastCandidate) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c + m - 1));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_and_si128(_mm_cmpeq_epi8(a, vFirst), _mm_cmpeq_epi8(b, vLast)),
            _mm_cmpeq_epi8(a, vZero))));
        std::size_t next = c + 16;
        while (mask != 0) {
          const std::size_t at = c + static_cast<std::size_t>(__builtin_ctz(mask));
          if (visit(at)) {
            next = at + m;
            break;
          }
          if (stop) break;
          mask &= mask - 1;
        }
        c = next;
      }
#endif
      while (!stop && c <= lastCandidate) {
        if ((s[c] == first && s[c + m - 1] == lastByte) || s[c] == 0) {
          if (visit(c)) {
            c += m;
            continue;
          }
        }
        ++c;
      }
    }

    if (stop) nulSeen_ = true;
    if (stop || last) {
      out.append(data + emitted, n - emitted);
      return n;
    }
    // Bytes from here on could still begin a match that the next block completes.
    std::size_t frontier = n >= m ? n - m + 1 : 0;
    if (frontier < emitted) frontier = emitted;
    trail_ = trailAt(frontier);
    out.append(data + emitted, frontier - emitted);
    return frontier;
  }

 private:
  std::string pattern_;
  std::string replacement_;
  bool inert_ = false;
  bool trail_ = false;
  bool nulSeen_ = false;
};

// Small enough that a block and its passes' outputs stay in the cache.
constexpr std::size_t kBlockSize = 64 * 1024;

std::string RunPasses(std::vector<Pass>& passes, std::string_view text) {
  if (passes.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 4 + 64);
  if (passes.size() == 1) {
    passes[0].Feed(text.data(), text.size(), true, out);
    return out;
  }

  // inputs[i] feeds pass i (i >= 1): the undecided tail of the block before, then
  // the output of pass i - 1. The first pass reads the text itself.
  std::vector<std::string> inputs(passes.size());
  for (std::size_t i = 1; i < passes.size(); ++i) inputs[i].reserve(2 * kBlockSize);
  std::size_t pos = 0;
  bool last = false;
  while (!last) {
    last = text.size() - pos <= kBlockSize;
    const std::size_t n = last ? text.size() - pos : kBlockSize;
    pos += passes[0].Feed(text.data() + pos, n, last, inputs[1]);
    for (std::size_t i = 1; i < passes.size(); ++i) {
      std::string& in = inputs[i];
      std::string& target = i + 1 < passes.size() ? inputs[i + 1] : out;
      const std::size_t used = passes[i].Feed(in.data(), in.size(), last, target);
      in.erase(0, used);
    }
  }
  return out;
}

void AddPairs(std::vector<Pass>& passes, const ConversionDefinition& definition) {
  for (const ReplacementPair& pair : definition.Pairs) {
    if (!pair.Before.empty()) passes.emplace_back(pair.Before, pair.After);
  }
}

void AddLineBreakDeletion(std::vector<Pass>& passes) {
  passes.emplace_back("\r", "");
  passes.emplace_back("\n", "");
}

}  // namespace

std::optional<LoadedDefinition> LoadConversionDefinition(std::optional<int> slot,
                                                         std::string* failedPath) {
  if (failedPath) failedPath->clear();
  if (!slot || *slot < 1 || *slot > kSlotCount) return std::nullopt;

  auto fail = [&](const std::string& path) {
    if (failedPath) *failedPath = path;
    return std::nullopt;
  };

  LoadedDefinition loaded;
  const std::string beforePath = DefinitionFilePath(DefinitionFileKind::Before, *slot);
  const std::optional<DefinitionLines> before = ReadDefinitionLines(beforePath);
  if (!before) return fail(beforePath);
  const std::string afterPath = DefinitionFilePath(DefinitionFileKind::After, *slot);
  const std::optional<DefinitionLines> after = ReadDefinitionLines(afterPath);
  if (!after) return fail(afterPath);
  const std::string flagPath = DefinitionFilePath(DefinitionFileKind::Flag, *slot);
  std::optional<TextModeLineReader> flag = TextModeLineReader::Open(flagPath);
  if (!flag) return fail(flagPath);

  for (int k = 0; k < kPairCount; ++k) {
    loaded.Definition.Pairs[k].Before = (*before)[k];
    loaded.Definition.Pairs[k].After = (*after)[k];
  }
  loaded.FlagLine = flag->NextLine().value_or(std::string());
  loaded.Definition.LineBreakFlag = loaded.FlagLine == "1\n";
  return loaded;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  std::vector<Pass> passes;
  if (!pattern.empty()) passes.emplace_back(pattern, replacement);
  return RunPasses(passes, text);
}

std::string ApplyReplacements(const ConversionDefinition& definition, std::string_view text) {
  std::vector<Pass> passes;
  AddPairs(passes, definition);
  return RunPasses(passes, text);
}

std::string DeleteLineBreaks(std::string_view text) {
  std::vector<Pass> passes;
  AddLineBreakDeletion(passes);
  return RunPasses(passes, text);
}

std::string ConvertText(const ConversionDefinition& definition, std::string_view text) {
  std::vector<Pass> passes;
  AddPairs(passes, definition);
  if (definition.LineBreakFlag) AddLineBreakDeletion(passes);
  return RunPasses(passes, text);
}

}  // namespace kt
