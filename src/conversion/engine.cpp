#include "conversion/engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__) && !defined(KOTOTSUGI_NO_SIMD)
#include <immintrin.h>
#define KT_X86_SIMD 1
#endif

#include "core/bytes.h"
#include "core/line_reader.h"
#include "core/memory.h"

namespace kt {

namespace {

// --- Finding candidates ---------------------------------------------------------
//
// A candidate is a position at which the pattern's first byte stands and its last
// byte m - 1 further on, or a position holding a NUL (the search ends at the first
// one). Candidates are gathered in batches, so that the scan runs without a branch
// per candidate and the checks then run over a short list.

struct Probe {
  const unsigned char* s;
  std::size_t m;
  unsigned char first;
  unsigned char last;
};

struct Candidates {
  static constexpr std::size_t kBatch = 256;
  // Offsets from the position the batch started at; the spare room takes the
  // unconditional writes of Flatten.
  std::uint32_t offset[kBatch + 64];
  std::size_t count = 0;
  std::size_t scannedTo = 0;  // every position before this has been looked at
};

// Keeps a batch's offsets within 32 bits.
constexpr std::size_t kMaxBatchSpan = std::size_t{1} << 30;

// Appends base + each set bit of mask. Eight entries are written whether or not they
// are bits, so that a step with no candidate or a few takes no unpredictable branch.
inline void Flatten(std::uint64_t mask, std::uint32_t base, Candidates& out) {
  std::uint32_t* p = out.offset + out.count;
  out.count += static_cast<std::size_t>(__builtin_popcountll(mask));
  do {
#if defined(__clang__)
#pragma unroll 8
#else
#pragma GCC unroll 8
#endif
    for (int k = 0; k < 8; ++k) {
      p[k] = base + static_cast<std::uint32_t>(__builtin_ctzll(mask | (std::uint64_t{1} << 63)));
      mask &= mask - 1;
    }
    p += 8;
  } while (mask != 0);
}

// The positions from c up to end that the 64-byte steps did not cover.
inline void ScanTail(const Probe& pr, std::size_t from, std::size_t c, std::size_t end,
                     Candidates& out) {
  const unsigned char* t = pr.s + pr.m - 1;
  for (; c < end && out.count < Candidates::kBatch; ++c) {
    if ((pr.s[c] == pr.first && t[c] == pr.last) || pr.s[c] == 0) {
      out.offset[out.count++] = static_cast<std::uint32_t>(c - from);
    }
  }
  out.scannedTo = c;
}

#if KT_X86_SIMD
void FindSse2(const Probe& pr, std::size_t from, std::size_t end, Candidates& out) {
  const __m128i vFirst = _mm_set1_epi8(static_cast<char>(pr.first));
  const __m128i vLast = _mm_set1_epi8(static_cast<char>(pr.last));
  const __m128i vZero = _mm_setzero_si128();
  const unsigned char* t = pr.s + pr.m - 1;
  out.count = 0;
  std::size_t c = from;
  while (c + 64 <= end && out.count < Candidates::kBatch && c - from < kMaxBatchSpan) {
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pr.s + c + 16 * k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + c + 16 * k));
      const __m128i hit = _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(a, vFirst), _mm_cmpeq_epi8(b, vLast)),
                                       _mm_cmpeq_epi8(a, vZero));
      mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(hit))) << (16 * k);
    }
    Flatten(mask, static_cast<std::uint32_t>(c - from), out);
    c += 64;
  }
  ScanTail(pr, from, c, end, out);
}

__attribute__((target("avx2,popcnt,bmi")))
void FindAvx2(const Probe& pr, std::size_t from, std::size_t end, Candidates& out) {
  const __m256i vFirst = _mm256_set1_epi8(static_cast<char>(pr.first));
  const __m256i vLast = _mm256_set1_epi8(static_cast<char>(pr.last));
  const __m256i vZero = _mm256_setzero_si256();
  const unsigned char* t = pr.s + pr.m - 1;
  out.count = 0;
  std::size_t c = from;
  while (c + 64 <= end && out.count < Candidates::kBatch && c - from < kMaxBatchSpan) {
    std::uint64_t mask = 0;
    for (int k = 0; k < 2; ++k) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pr.s + c + 32 * k));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + c + 32 * k));
      const __m256i hit = _mm256_or_si256(
          _mm256_and_si256(_mm256_cmpeq_epi8(a, vFirst), _mm256_cmpeq_epi8(b, vLast)),
          _mm256_cmpeq_epi8(a, vZero));
      mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(hit))) << (32 * k);
    }
    Flatten(mask, static_cast<std::uint32_t>(c - from), out);
    c += 64;
  }
  ScanTail(pr, from, c, end, out);
}
#else
void FindScalar(const Probe& pr, std::size_t from, std::size_t end, Candidates& out) {
  out.count = 0;
  ScanTail(pr, from, from, std::min(end, from + kMaxBatchSpan), out);
}
#endif

using FindFunction = void (*)(const Probe&, std::size_t, std::size_t, Candidates&);

FindFunction ChooseFind() {
#if KT_X86_SIMD
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
      __builtin_cpu_supports("bmi")) {
    return FindAvx2;
  }
  return FindSse2;
#else
  return FindScalar;
#endif
}

FindFunction Finder() {
  static const FindFunction find = ChooseFind();
  return find;
}

// --- Output ---------------------------------------------------------------------

// The growing buffer between two passes: its appends stay inline, since a pass makes
// two for every match, and the undecided tail moves to the front after each block.
class Buffer {
 public:
  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Buffer(Buffer&& other) noexcept : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  ~Buffer() { std::free(data_); }

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }

  void append(const char* p, std::size_t n) {
    if (n == 0) return;
    if (n > capacity_ - size_) Grow(n);
    std::memcpy(data_ + size_, p, n);
    size_ += n;
  }

  // Drops the first n bytes.
  void Consume(std::size_t n) {
    if (n == 0) return;
    std::memmove(data_, data_ + n, size_ - n);
    size_ -= n;
  }

 private:
  void Grow(std::size_t n) {
    const std::size_t capacity = std::max({capacity_ * 2, size_ + n, std::size_t{4096}});
    char* data = static_cast<char*>(std::realloc(data_, capacity));
    if (!data) throw std::bad_alloc();
    data_ = data;
    capacity_ = capacity;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// --- One pass -------------------------------------------------------------------

// Bytes 1 to m - 2 of a candidate (the first and the last were compared already).
inline bool MiddleEqual(const unsigned char* at, const unsigned char* pat, std::size_t m) {
  if (m <= 2) return true;
  if (m <= 12) {
    for (std::size_t k = 1; k + 1 < m; ++k) {
      if (at[k] != pat[k]) return false;
    }
    return true;
  }
  return std::memcmp(at + 1, pat + 1, m - 2) == 0;
}

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
  template <typename Sink>
  std::size_t Feed(const char* data, std::size_t n, bool last, Sink& out) {
    if (inert_ || nulSeen_) {
      out.append(data, n);
      return n;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    const auto* pat = reinterpret_cast<const unsigned char*>(pattern_.data());
    const std::size_t m = pattern_.size();

    std::size_t emitted = 0;   // input before this is in out
    std::size_t known = 0;     // a position whose trail state is known...
    bool knownTrail = trail_;  // ...and that state

    // Whether c stands at a trail position, judged from the last known position on,
    // which then moves to c: every byte is walked back over at most once.
    auto trailAt = [&](std::size_t c) {
      std::size_t j = c;
      while (j > known && IsLeadByte(s[j - 1])) --j;
      const bool odd = ((c - j) & 1) != 0;
      knownTrail = j > known ? odd : (knownTrail != odd);
      known = c;
      return knownTrail;
    };

    bool nul = false;
    if (n >= m) {
      const FindFunction find = Finder();
      const Probe probe{s, m, pat[0], pat[m - 1]};
      const std::size_t end = n - m + 1;  // candidates lie before this
      Candidates batch;
      std::size_t c = 0;
      while (c < end && !nul) {
        find(probe, c, end, batch);
        for (std::size_t i = 0; i < batch.count; ++i) {
          const std::size_t p = c + batch.offset[i];
          if (p < emitted) continue;  // inside the match just made
          if (s[p] == 0) {
            nul = true;
            break;
          }
          if (!MiddleEqual(s + p, pat, m) || trailAt(p)) continue;
          out.append(data + emitted, p - emitted);
          out.append(replacement_.data(), replacement_.size());
          emitted = p + m;
          known = emitted;
          knownTrail = false;
        }
        c = std::max(batch.scannedTo, emitted);
      }
    }

    if (nul) nulSeen_ = true;
    if (nul || last) {
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
  ReserveLarge(out, text.size() + text.size() / 4 + 64);
  if (passes.size() == 1) {
    passes[0].Feed(text.data(), text.size(), true, out);
    return out;
  }

  // inputs[i] feeds pass i (i >= 1): the undecided tail of the block before, then
  // the output of pass i - 1. The first pass reads the text itself.
  std::vector<Buffer> inputs(passes.size());
  std::size_t pos = 0;
  bool last = false;
  while (!last) {
    last = text.size() - pos <= kBlockSize;
    const std::size_t n = last ? text.size() - pos : kBlockSize;
    pos += passes[0].Feed(text.data() + pos, n, last, inputs[1]);
    for (std::size_t i = 1; i < passes.size(); ++i) {
      Buffer& in = inputs[i];
      const std::size_t used = i + 1 < passes.size()
                                   ? passes[i].Feed(in.data(), in.size(), last, inputs[i + 1])
                                   : passes[i].Feed(in.data(), in.size(), last, out);
      in.Consume(used);
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
