// Seeds for texture runs: different from run to run and from press to press, even several
// times within one second, so that every Space makes a new texture.
#pragma once

#include <cstdint>

// Mixes a clock reading with a sequence number into a seed that is never 0 (the C runtime
// seeds 0 and 1 alike) and never the previous seed handed out by the same mixer.
class SeedSource {
public:
    unsigned int Next(std::uint64_t clockNanoseconds);

private:
    std::uint64_t m_count = 0;
    unsigned int m_last = 0;
};

// A fresh seed from the process's source, mixed from the high-resolution clock and the pid.
unsigned int NextTextureSeed();
