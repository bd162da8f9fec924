#pragma once
// Large byte buffers: the engine and the file reader fill strings of a hundred
// megabytes, where the page faults of fresh memory cost as much as the work.

#include <string>

namespace kt {

// s.reserve(n); a large reservation is also offered huge pages where the system
// gives them on request.
void ReserveLarge(std::string& s, std::size_t n);

}  // namespace kt
