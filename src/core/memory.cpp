#include "core/memory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kt {

void ReserveLarge(std::string& s, std::size_t n) {
  s.reserve(n);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  if (s.capacity() < 4 * kHuge) return;
  auto begin = reinterpret_cast<std::uintptr_t>(s.data());
  auto end = begin + s.capacity();
  begin = (begin + kHuge - 1) & ~(kHuge - 1);
  end &= ~(kHuge - 1);
  // Only advice: where it is refused, the memory simply stays in small pages.
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace kt
