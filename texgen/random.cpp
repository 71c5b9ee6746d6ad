#include <cstdlib>
#include <ctime>

#include "texgen/texgen.h"

Random::Random() : granularity(10000) {
    std::srand(static_cast<unsigned int>(std::time(nullptr)));
}

Random::Random(unsigned int seed) : granularity(10000) {
    std::srand(seed);
}

Random::~Random() {}

// The remainder is taken without rejection: with RAND_MAX = 32767 the low steps come up a
// little more often than the others, which is of no consequence for textures.
int Random::next() {
    return std::rand() % granularity;
}

double Random::uniform(double low, double high) {
    double r = next();
    return ((high - low) * r) / granularity + low;
}
