#pragma once
// The program's random generators: a multiplicative congruential generator
// (16807, modulus 2^31 - 1, Schrage's factorisation) behind a 32-entry
// Bays-Durham shuffle, and polar Box-Muller normal deviates built on it.
// Their state is program-wide, as the program seeds once at start-up.

namespace kivra {

// A deviate in the open interval (0, 1). A seed <= 0 (re)initialises the table.
double UniformRandom(long* seed);
// A standard normal deviate; the second value of each pair is cached.
double GaussRandom(long* seed);

// The program's one seed. The program sets it to minus the current time;
// tests set it to a fixed value.
long& RandomSeed();
// Seeds with minus the current time and draws once so the table is filled.
void SeedRandomFromClock();
// For tests that need a fresh sequence: a given non-positive seed, drawn once,
// with the Gaussian cache cleared.
void ResetRandom(long seed);

} // namespace kivra
