#include "app/seed.h"

#include <chrono>
#include <unistd.h>

namespace {

// splitmix64's finaliser: nearby inputs (consecutive nanoseconds, counts) land far apart.
std::uint64_t Mix(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

unsigned int SeedSource::Next(std::uint64_t clockNanoseconds) {
    std::uint64_t mixed = Mix(clockNanoseconds + 0x9E3779B97F4A7C15ull * ++m_count);
    unsigned int seed = static_cast<unsigned int>(mixed ^ (mixed >> 32));
    while (seed == 0 || seed == m_last)
        seed = static_cast<unsigned int>(Mix(seed + m_count));
    m_last = seed;
    return seed;
}

unsigned int NextTextureSeed() {
    static SeedSource source;
    // The pid keeps two programs started in the same instant apart.
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    return source.Next(static_cast<std::uint64_t>(nanoseconds) ^
                       (static_cast<std::uint64_t>(getpid()) << 40));
}
