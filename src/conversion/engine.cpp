#include "conversion/engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
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

// --- Output ---------------------------------------------------------------------

// Room past the end of every buffer's bytes, so that copies can move whole words and
// let the excess fall into it.
constexpr std::size_t kSlack = 64;

// The growing buffer between two passes. A pass writes through a raw pointer; the
// undecided tail moves to the front after each block.
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

  // Where the next byte goes, with room for n more bytes and kSlack after them.
  char* Reserve(std::size_t n) {
    if (n + kSlack > capacity_ - size_) Grow(n);
    return data_ + size_;
  }
  // Moves the end to w, a pointer into this buffer.
  void SetEnd(const char* w) { size_ = static_cast<std::size_t>(w - data_); }

  void Append(const char* p, std::size_t n) {
    if (n == 0) return;
    std::memcpy(Reserve(n), p, n);
    size_ += n;
  }

  // Drops the first n bytes.
  void Consume(std::size_t n) {
    if (n == 0) return;
    std::memmove(data_, data_ + n, size_ - n);
    size_ -= n;
  }
  void Clear() { size_ = 0; }

 private:
  __attribute__((noinline)) void Grow(std::size_t n) {
    const std::size_t capacity = std::max({capacity_ * 2, size_ + n + kSlack, std::size_t{4096}});
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

// One ReplaceAll as a left-to-right transducer, fed a stream in blocks. Its state
// between blocks is whether the first byte not yet decided stands at a trail
// position, and whether the first NUL has gone by; the undecided bytes (fewer than
// the pattern's length) come again at the front of the next block. So ten passes
// can run block by block in the cache and still give exactly what ten whole-text
// passes would.
struct PassState {
  PassState(std::string_view pattern, std::string_view replacement)
      : pattern(pattern), replacement(replacement), replacementSize(replacement.size()) {
    // A match lies before the first NUL of the rest, so a pattern holding a NUL never matches.
    inert = pattern.empty() || pattern.find('\0') != std::string_view::npos;
    // Padded, so that both are read in whole words.
    this->pattern.resize(pattern.size() + 64);
    this->replacement.resize(replacementSize + 64);
  }

  std::string pattern;  // padded: its size is patternSize
  std::string replacement;
  std::size_t patternSize() const { return pattern.size() - 64; }
  std::size_t replacementSize;
  bool inert = false;
  bool trail = false;
  bool nulSeen = false;
  bool masking = false;  // trail positions are being worked out a step at a time
};

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

// The scan goes 64 bytes at a time. A candidate is a position at which the
// pattern's first, second and last bytes stand, or a position holding a NUL (the
// search ends at the first one). Each step also copies its 64
// bytes to the output unconditionally, so that the bytes between matches need no
// copy of their own. Equal compares a whole pattern of up to kWindow bytes, and
// LeadRun counts the lead bytes right before a position, up to kWindow of them:
// both without a branch.
#if KT_X86_SIMD
// Every processor with AVX2 also has these, and the bit counts get cheaper with them.
#define KT_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

struct Avx2Step {
  static constexpr std::size_t kWindow = 32;

  KT_AVX2 Avx2Step(const unsigned char* pattern, std::size_t m)
      : first(_mm256_set1_epi8(static_cast<char>(pattern[0]))),
        last(_mm256_set1_epi8(static_cast<char>(pattern[m - 1]))),
        second(_mm256_set1_epi8(static_cast<char>(pattern[m >= 2 ? 1 : 0]))),
        whole(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pattern))),
        wholeMask(m >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << m) - 1) {}

  KT_AVX2 std::uint64_t Candidates(const unsigned char* s, const unsigned char* t,
                                                           const unsigned char* u) const {
    std::uint64_t mask = 0;
    for (int k = 0; k < 2; ++k) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32 * k));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 32 * k));
      const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(u + 32 * k));
      const __m256i hit = _mm256_or_si256(
          _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last)),
                           _mm256_cmpeq_epi8(c, second)),
          _mm256_cmpeq_epi8(a, _mm256_setzero_si256()));
      mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(hit))) << (32 * k);
    }
    return mask;
  }

  KT_AVX2 bool Equal(const unsigned char* at) const {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const auto eq = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, whole)));
    return (eq & wholeMask) == wholeMask;
  }

  // 0x81-0x9F and 0xE0-0xFC, as unsigned ranges from their first value.
  KT_AVX2 static std::uint32_t LeadBits32(const unsigned char* at) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i a = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(0x81)));
    const __m256i b = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(0xE0)));
    const __m256i lead = _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(a, _mm256_set1_epi8(0x1E)), a),
                                         _mm256_cmpeq_epi8(_mm256_min_epu8(b, _mm256_set1_epi8(0x1C)), b));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(lead));
  }

  KT_AVX2 static std::size_t LeadRun(const unsigned char* end) {
    const std::uint32_t bits = LeadBits32(end - 32);
    return static_cast<std::size_t>(__builtin_clzll(~(std::uint64_t{bits} << 32)));
  }

  // The lead bytes and the NULs among the 64 bytes at s.
  KT_AVX2 static std::uint64_t LeadBits(const unsigned char* s, std::uint64_t& nuls) {
    nuls = 0;
    for (int k = 0; k < 2; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32 * k));
      const auto z = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
      nuls |= std::uint64_t{z} << (32 * k);
    }
    return LeadBits32(s) | std::uint64_t{LeadBits32(s + 32)} << 32;
  }

  KT_AVX2 static void Copy64(char* dst, const unsigned char* src) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 32));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 32), b);
  }

  __m256i first, last, second, whole;
  std::uint32_t wholeMask;
};

struct Sse2Step {
  static constexpr std::size_t kWindow = 16;

  Sse2Step(const unsigned char* pattern, std::size_t m)
      : first(_mm_set1_epi8(static_cast<char>(pattern[0]))),
        last(_mm_set1_epi8(static_cast<char>(pattern[m - 1]))),
        second(_mm_set1_epi8(static_cast<char>(pattern[m >= 2 ? 1 : 0]))),
        whole(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern))),
        wholeMask(m >= 16 ? 0xFFFFu : (1u << m) - 1) {}

  std::uint64_t Candidates(const unsigned char* s, const unsigned char* t, const unsigned char* u) const {
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 16 * k));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + 16 * k));
      const __m128i hit = _mm_or_si128(
          _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last)), _mm_cmpeq_epi8(c, second)),
          _mm_cmpeq_epi8(a, _mm_setzero_si128()));
      mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(hit))) << (16 * k);
    }
    return mask;
  }

  bool Equal(const unsigned char* at) const {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const auto eq = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, whole)));
    return (eq & wholeMask) == wholeMask;
  }

  static std::uint32_t LeadBits16(const unsigned char* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i a = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0x81)));
    const __m128i b = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0)));
    const __m128i lead = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(a, _mm_set1_epi8(0x1E)), a),
                                      _mm_cmpeq_epi8(_mm_min_epu8(b, _mm_set1_epi8(0x1C)), b));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(lead));
  }

  static std::size_t LeadRun(const unsigned char* end) {
    const std::uint32_t bits = LeadBits16(end - 16);
    return static_cast<std::size_t>(__builtin_clzll(~(std::uint64_t{bits} << 48)));
  }

  static std::uint64_t LeadBits(const unsigned char* s, std::uint64_t& nuls) {
    std::uint64_t lead = 0;
    nuls = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
      const auto z = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
      nuls |= std::uint64_t{z} << (16 * k);
      lead |= std::uint64_t{LeadBits16(s + 16 * k)} << (16 * k);
    }
    return lead;
  }

  static void Copy64(char* dst, const unsigned char* src) { std::memcpy(dst, src, 64); }

  __m128i first, last, second, whole;
  unsigned wholeMask;
};
#endif

struct ScalarStep {
  static constexpr std::size_t kWindow = 8;

  ScalarStep(const unsigned char* pattern, std::size_t m) : pattern(pattern), m(m) {}

  std::uint64_t Candidates(const unsigned char* s, const unsigned char* t, const unsigned char*) const {
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; ++k) {
      const bool hit = (s[k] == pattern[0] && t[k] == pattern[m - 1]) || s[k] == 0;
      mask |= static_cast<std::uint64_t>(hit) << k;
    }
    return mask;
  }

  bool Equal(const unsigned char* at) const { return std::memcmp(at, pattern, m) == 0; }

  static std::size_t LeadRun(const unsigned char* end) {
    std::size_t run = 0;
    while (run < kWindow && IsLeadByte(end[-1 - static_cast<std::ptrdiff_t>(run)])) ++run;
    return run;
  }

  static std::uint64_t LeadBits(const unsigned char* s, std::uint64_t& nuls) {
    std::uint64_t lead = 0;
    nuls = 0;
    for (int k = 0; k < 64; ++k) {
      lead |= static_cast<std::uint64_t>(IsLeadByte(s[k])) << k;
      nuls |= static_cast<std::uint64_t>(s[k] == 0) << k;
    }
    return lead;
  }

  static void Copy64(char* dst, const unsigned char* src) { std::memcpy(dst, src, 64); }

  const unsigned char* pattern;
  std::size_t m;
};

// How a step deals with its candidates: one after the other with branches, for
// long patterns and replacements; without a branch on the outcome, for short ones;
// and the same after dropping the candidates at trail positions.
enum class StepKind { kLong, kShort, kMasking };

// The trail positions among 64 bytes, from their lead bytes and from whether the
// first of them is a trail position (carry, 0 or 1), which then becomes that of the
// byte after them. A position is a trail position when the byte before it is a lead
// byte at an even offset in its run: runs are told apart by the parity of their
// start, and adding a run's start bit clears it.
inline std::uint64_t TrailBits(std::uint64_t lead, std::uint64_t& carry) {
  constexpr std::uint64_t kEven = 0x5555555555555555u;
  const std::uint64_t starts = lead & ~(lead << 1);
  std::uint64_t evenRuns = lead & ~(lead + (starts & kEven));
  // The run through the first byte goes on from before, at an odd offset after a carry.
  const std::uint64_t first = lead & ~(lead + 1);
  evenRuns ^= first & (0 - carry);
  const std::uint64_t oddRuns = lead & ~evenRuns;
  const std::uint64_t atEven = (evenRuns & kEven) | (oddRuns & ~kEven);
  const std::uint64_t trail = (atEven << 1) | carry;
  carry = atEven >> 63;
  return trail;
}

// Appends the output decided by data[0, n) to out and returns how many input bytes
// that took; with last the whole input is taken.
//
// The output of input byte q goes to base + q + shift, where shift is what the
// matches so far have added or taken away; every write lands at or after the end of
// the output decided so far, so what a step wrote too far is overwritten in turn.
template <typename Step>
inline std::size_t FeedBody(PassState& pass, const char* data, std::size_t n, bool last, Buffer& out) {
  if (pass.inert || pass.nulSeen) {
    out.Append(data, n);
    return n;
  }
  const auto* s = reinterpret_cast<const unsigned char*>(data);
  const auto* pat = reinterpret_cast<const unsigned char*>(pass.pattern.data());
  const std::size_t m = pass.patternSize();
  const char* const rep = pass.replacement.data();
  const std::size_t r = pass.replacementSize;
  const std::ptrdiff_t growth = static_cast<std::ptrdiff_t>(r) - static_cast<std::ptrdiff_t>(m);

  std::size_t emitted = 0;       // the output of the input before this is final
  std::size_t known = 0;         // a position whose trail state is known...
  bool knownTrail = pass.trail;  // ...and that state
  std::ptrdiff_t shift = 0;
  char* base = out.Reserve(n);
  auto at = [&](std::size_t q) { return base + (static_cast<std::ptrdiff_t>(q) + shift); };

  // The start of the lead run that ends right before j, or known if the run goes
  // back that far; the run is counted a window at a time.
  auto runStart = [&](std::size_t j) {
    while (j >= known + Step::kWindow) {
      const std::size_t run = Step::LeadRun(s + j);
      j -= run;
      if (run < Step::kWindow) return j;
    }
    while (j > known && IsLeadByte(s[j - 1])) --j;
    return j;
  };

  // Whether c stands at a trail position, judged from the last known position on,
  // which then moves to c: every byte is walked back over at most once.
  auto trailAt = [&](std::size_t c) {
    const std::size_t j = runStart(c);
    const bool odd = ((c - j) & 1) != 0;
    knownTrail = j > known ? odd : (knownTrail != odd);
    known = c;
    return knownTrail;
  };
  // The same, counting the run in one piece where it is short.
  auto trailAtShort = [&](std::size_t c) {
    if (c < Step::kWindow) [[unlikely]] return trailAt(c);
    const std::size_t limit = c - known;
    std::size_t run = Step::LeadRun(s + c);
    if (run == Step::kWindow && limit > run) [[unlikely]] run = c - runStart(c - run);
    const bool reaches = run >= limit;
    run = reaches ? limit : run;
    const bool odd = (run & 1) != 0;
    knownTrail = (reaches & knownTrail) != odd;
    known = c;
    return knownTrail;
  };

  // Room for a replacement at p, the rest of the input and a step's copy.
  auto makeRoom = [&](std::size_t p) {
    if (growth > 0) {
      const std::size_t used = static_cast<std::size_t>(at(p) - base);
      out.SetEnd(base);
      base = out.Reserve(used + r + (n - p) + 128);
    }
  };

  bool nul = false;
  std::size_t copied = 0;  // the output of input [emitted, copied) is written
  std::size_t c = 0;
  if (n >= m) {
    const Step step(pat, m);
    const unsigned char* t = s + m - 1;
    const unsigned char* u = s + (m >= 2 ? 1 : 0);
    // A step reads 64 bytes at c and at c + m - 1, and copies 64 bytes after a match
    // that ends within it.
    const bool shortPair = m <= Step::kWindow && r <= 64;
    // Where many candidates stand at trail positions, the steps work out every trail
    // position they cover and drop those candidates before looking at them. That
    // needs the whole-text lead runs to be those counted from the last match on,
    // which holds when the pattern ends in a byte that is no lead byte. Whether it
    // pays is judged every eight steps.
    const bool maskable = shortPair && !IsLeadByte(pat[m - 1]);
    bool masking = maskable && pass.masking;
    std::uint64_t carry = knownTrail;  // while masking: whether c is a trail position
    unsigned trailCandidates = 0;

    // Up to count steps of the given kind.
    auto run = [&](auto kind, std::size_t count) {
      constexpr StepKind kKind = decltype(kind)::value;
      for (; count > 0 && c + 128 + m <= n; --count) {
        // The steps go on 64 bytes at a time whatever the matches do, so that the
        // next step's loads need not wait for this one's candidates. A match that
        // reaches into a step makes its copy start later.
        const std::size_t from = std::max(c, emitted);
        Step::Copy64(at(from), s + from);
        std::uint64_t mask = step.Candidates(s + c, t + c, u + c);
        if constexpr (kKind == StepKind::kMasking) {
          // The trail positions of the whole text, not of the rest after the last
          // match; where the pattern ends in a byte that is no lead byte, the two
          // agree from the end of every match on.
          std::uint64_t nuls;
          const std::uint64_t trail = TrailBits(Step::LeadBits(s + c, nuls), carry);
          trailCandidates += static_cast<unsigned>(__builtin_popcountll(mask & trail & ~nuls));
          mask &= ~trail | nuls;
        }
        if constexpr (kKind == StepKind::kLong) {
          while (mask != 0) {
            const std::size_t p = c + static_cast<std::size_t>(__builtin_ctzll(mask));
            mask &= mask - 1;
            if (p < known) continue;  // inside the match just made
            if (s[p] == 0) {
              nul = true;
              return;
            }
            if (!MiddleEqual(s + p, pat, m) || trailAt(p)) continue;
            makeRoom(p);
            char* w = at(p);
            for (std::size_t k = 0; k < r; k += 32) std::memcpy(w + k, rep + k, 32);
            shift += growth;
            emitted = known = p + m;
            knownTrail = false;
            Step::Copy64(at(emitted), s + emitted);
          }
        } else if (mask != 0) {
          // One candidate after the other without a branch on the outcome: the
          // replacement is written in any case and the copy after it starts right
          // after the match or, where there was none, on top of it.
          do {
            const std::size_t p = c + static_cast<std::size_t>(__builtin_ctzll(mask));
            mask &= mask - 1;
            if (s[p] == 0) [[unlikely]] {
              nul = true;
              return;
            }
            const bool free = p >= known;  // not inside the match just made
            const std::size_t q = free ? p : known;
            bool trail = false;
            if constexpr (kKind == StepKind::kShort) {
              trail = trailAtShort(q);
              trailCandidates += trail;
            }
            const bool match = free & step.Equal(s + p) & !trail;
            makeRoom(q);
            char* w = at(q);
            std::memcpy(w, rep, 32);
            std::memcpy(w + 32, rep + 32, 32);
            shift += match ? growth : 0;
            emitted = match ? p + m : q;
            known = emitted;
            knownTrail = knownTrail & !match;
            Step::Copy64(at(emitted), s + emitted);
          } while (mask != 0);
        }
        c += 64;
      }
    };

    using Long = std::integral_constant<StepKind, StepKind::kLong>;
    using Short = std::integral_constant<StepKind, StepKind::kShort>;
    using Masking = std::integral_constant<StepKind, StepKind::kMasking>;
    constexpr auto kAll = ~std::size_t{0};
    if (!shortPair) {
      run(Long{}, kAll);
    } else if (!maskable) {
      run(Short{}, kAll);
    } else {
      while (!nul && c + 128 + m <= n) {
        trailCandidates = 0;
        if (masking) {
          run(Masking{}, 8);
        } else {
          run(Short{}, 8);
        }
        if (nul) break;
        // Inside a match the carry does not matter: the match's last byte is no
        // lead byte, so the position after it is no trail position either way.
        const bool worth = trailCandidates >= 4;
        if (worth && !masking) {
          carry = emitted > c ? 0 : trailAtShort(c);
        } else if (!worth && masking) {
          knownTrail = emitted <= c && carry != 0;
          known = std::max(c, emitted);
        }
        masking = worth;
      }
      if (masking && !nul) {
        knownTrail = emitted <= c && carry != 0;
        known = std::max(c, emitted);
      }
      pass.masking = masking;
    }
    copied = std::max(c, emitted);
    if (nul) copied = emitted;
    for (std::size_t p = c; !nul && p + m <= n; ++p) {
      if (s[p] == 0) {
        nul = true;
        break;
      }
      if (p < known || s[p] != pat[0] || s[p + m - 1] != pat[m - 1] || !MiddleEqual(s + p, pat, m) ||
          trailAt(p)) {
        continue;
      }
      makeRoom(p);
      std::memcpy(at(copied), s + copied, p - copied);
      std::memcpy(at(p), rep, r);
      shift += growth;
      emitted = known = copied = p + m;
      knownTrail = false;
    }
  }

  if (nul) pass.nulSeen = true;
  std::size_t frontier = n;
  if (!nul && !last) {
    // Bytes from here on could still begin a match that the next block completes.
    frontier = n >= m ? n - m + 1 : 0;
    if (frontier < known) frontier = known;
    pass.trail = trailAt(frontier);
  }
  if (frontier > copied) std::memcpy(at(copied), s + copied, frontier - copied);
  out.SetEnd(at(frontier));
  return frontier;
}

using FeedFunction = std::size_t (*)(PassState&, const char*, std::size_t, bool, Buffer&);

#if KT_X86_SIMD
KT_AVX2 __attribute__((flatten)) std::size_t FeedAvx2(PassState& pass, const char* data, std::size_t n, bool last,
                                                      Buffer& out) {
  return FeedBody<Avx2Step>(pass, data, n, last, out);
}

__attribute__((flatten)) std::size_t FeedSse2(PassState& pass, const char* data, std::size_t n, bool last,
                                              Buffer& out) {
  return FeedBody<Sse2Step>(pass, data, n, last, out);
}
#else
std::size_t FeedScalar(PassState& pass, const char* data, std::size_t n, bool last, Buffer& out) {
  return FeedBody<ScalarStep>(pass, data, n, last, out);
}
#endif

FeedFunction ChooseFeed() {
#if KT_X86_SIMD
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
      __builtin_cpu_supports("popcnt")) {
    return FeedAvx2;
  }
  return FeedSse2;
#else
  return FeedScalar;
#endif
}

FeedFunction Feeder() {
  static const FeedFunction feed = ChooseFeed();
  return feed;
}

using Pass = PassState;

// Small enough that a block and its passes' outputs stay in the cache.
constexpr std::size_t kBlockSize = 64 * 1024;

std::string RunPasses(std::vector<Pass>& passes, std::string_view text) {
  if (passes.empty()) return std::string(text);
  std::string out;
  ReserveLarge(out, text.size() + text.size() / 4 + 64);
  const FeedFunction feed = Feeder();

  // inputs[i] feeds pass i (i >= 1): the undecided tail of the block before, then
  // the output of pass i - 1. The first pass reads the text itself; the last one
  // writes into inputs[0], which goes to out after each block.
  std::vector<Buffer> inputs(passes.size());
  std::size_t pos = 0;
  bool last = false;
  while (!last) {
    last = text.size() - pos <= kBlockSize;
    const std::size_t n = last ? text.size() - pos : kBlockSize;
    pos += feed(passes[0], text.data() + pos, n, last, inputs[passes.size() > 1 ? 1 : 0]);
    for (std::size_t i = 1; i < passes.size(); ++i) {
      Buffer& in = inputs[i];
      in.Consume(feed(passes[i], in.data(), in.size(), last, inputs[(i + 1) % passes.size()]));
    }
    out.append(inputs[0].data(), inputs[0].size());
    inputs[0].Clear();
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
