// Counts calls of the global allocation functions while armed, so tests can
// prove that a code path allocates nothing. Link pandrel_test_support.
#pragma once
#include <cstddef>

namespace alloc_counter {
void Arm();
// Disarms and returns the number of allocations since Arm().
std::size_t Disarm();
} // namespace alloc_counter

// Arms on construction; Count() reads the allocations made so far.
class ScopedAllocCount {
public:
    ScopedAllocCount() { alloc_counter::Arm(); }
    ~ScopedAllocCount() {
        if (!m_bDone) alloc_counter::Disarm();
    }
    std::size_t Stop() {
        m_bDone = true;
        return alloc_counter::Disarm();
    }

private:
    bool m_bDone = false;
};
