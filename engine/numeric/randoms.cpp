#include "engine/numeric/randoms.h"

#include <cmath>
#include <ctime>

namespace kivra {
namespace {

constexpr long IA = 16807;
constexpr long IM = 2147483647;
constexpr double AM = 1.0 / IM;
constexpr long IQ = 127773;
constexpr long IR = 2836;
constexpr int NTAB = 32;
constexpr long NDIV = 1 + (IM - 1) / NTAB;
constexpr double RNMX = 0.99999988;

long table[NTAB];
long iy = 0;
bool gaussCached = false;
double gaussValue = 0;
long programSeed = -1;

// One step of the congruential generator without overflow (Schrage).
inline void Step(long* seed) {
    const long k = *seed / IQ;
    *seed = IA * (*seed - k * IQ) - IR * k;
    if (*seed < 0) *seed += IM;
}

} // namespace

double UniformRandom(long* seed) {
    if (*seed <= 0 || iy == 0) {
        *seed = -*seed < 1 ? 1 : -*seed;
        for (int j = NTAB + 7; j >= 0; --j) {
            Step(seed);
            if (j < NTAB) table[j] = *seed;
        }
        iy = table[0];
    }
    Step(seed);
    const int j = static_cast<int>(iy / NDIV);
    iy = table[j];
    table[j] = *seed;
    const double temp = AM * static_cast<double>(iy);
    return temp > RNMX ? RNMX : temp;
}

double GaussRandom(long* seed) {
    if (gaussCached) {
        gaussCached = false;
        return gaussValue;
    }
    double x1, x2, r;
    do {
        x1 = 2.0 * UniformRandom(seed) - 1.0;
        x2 = 2.0 * UniformRandom(seed) - 1.0;
        r = x1 * x1 + x2 * x2;
    } while (r >= 1.0 || r == 0.0);
    const double fac = std::sqrt(-2.0 * std::log(r) / r);
    gaussValue = x1 * fac;
    gaussCached = true;
    return x2 * fac;
}

long& RandomSeed() { return programSeed; }

void SeedRandomFromClock() {
    programSeed = -static_cast<long>(std::time(nullptr));
    UniformRandom(&programSeed);
}

void ResetRandom(long seed) {
    programSeed = seed > 0 ? -seed : seed;
    iy = 0;
    gaussCached = false;
    UniformRandom(&programSeed);
}

} // namespace kivra
