// The game's random generator: a Mersenne Twister (MT19937) with both classic initialisations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

class alea_mt
{
public:
    // The classic initialisations, giving the classic output sequences.
    void init_genrand(uint32_t s);
    void init_by_array(const uint32_t* key, size_t n);

    // Next 32-bit output.
    uint32_t genrand_int32() { return static_cast<uint32_t>(moteur()); }

    // Uniform in 0..n: draws under the smallest all-ones mask covering n until one fits.
    uint32_t tirage(uint32_t n);

    // Seeds from 624 words of "/dev/urandom", or from the clock when it cannot be read.
    void seed_from_system() { seed_from_system("/dev/urandom"); }
    // The same with another source file (for tests: a missing or short file means the clock).
    void seed_from_system(const char* source);

    // The clock seed: the bytes of the calendar time and of the processor time hashed, plus a
    // process-wide counter that grows at every use, so that two games seeded within one clock
    // tick still differ.
    static uint32_t graine_horloge(uint64_t temps, uint32_t horloge, uint32_t compteur);

private:
    std::mt19937 moteur;
};
