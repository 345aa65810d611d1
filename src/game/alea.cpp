// The game's random generator: a Mersenne Twister (MT19937) with both classic initialisations.
#include "game/alea.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr int N = 624;

// Counts the clock seeds handed out by this process.
uint32_t compteur_graines = 0;

// Hands a ready-made state to std::mt19937 through its seed-sequence entry point, which copies
// the 624 words as they are (a state of all zeros aside, which the array initialisation never
// yields) and leaves the engine to regenerate before its first output: exactly where the classic
// initialisations leave their generator.
struct etat_fixe
{
    using result_type = uint32_t;
    const uint32_t* mots;

    template <class It> void generate(It debut, It fin)
    {
        for (int i = 0; debut != fin; ++debut, ++i)
            *debut = mots[i];
    }
    size_t size() const { return N; }
};

} // namespace

void alea_mt::init_genrand(uint32_t s)
{
    // std::mt19937's own seeding is the classic init_genrand.
    moteur.seed(s);
}

// The classic init_by_array: init_genrand(19650218), then the key mixed in over
// max(N, n) words and N - 1 more, and the first word forced to have only its top bit set.
void alea_mt::init_by_array(const uint32_t* key, size_t n)
{
    uint32_t mt[N];
    mt[0] = 19650218u;
    for (uint32_t i = 1; i < N; ++i)
        mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i;

    size_t i = 1, j = 0;
    for (size_t k = (N > n ? N : n); k > 0; --k) {
        mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1664525u)) + (n ? key[j] : 0u) +
                static_cast<uint32_t>(j);
        ++i;
        ++j;
        if (i >= N) {
            mt[0] = mt[N - 1];
            i = 1;
        }
        if (j >= n)
            j = 0;
    }
    for (size_t k = N - 1; k > 0; --k) {
        mt[i] =
            (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1566083941u)) - static_cast<uint32_t>(i);
        ++i;
        if (i >= N) {
            mt[0] = mt[N - 1];
            i = 1;
        }
    }
    mt[0] = 0x80000000u;

    etat_fixe etat{mt};
    moteur.seed(etat);
}

uint32_t alea_mt::tirage(uint32_t n)
{
    uint32_t masque = n;
    masque |= masque >> 1;
    masque |= masque >> 2;
    masque |= masque >> 4;
    masque |= masque >> 8;
    masque |= masque >> 16;
    uint32_t v;
    do
        v = genrand_int32() & masque;
    while (v > n);
    return v;
}

uint32_t alea_mt::graine_horloge(uint64_t temps, uint32_t horloge, uint32_t compteur)
{
    uint32_t h1 = 0, h2 = 0;
    for (int octet = 0; octet < 8; ++octet)
        h1 = h1 * 257u + static_cast<uint8_t>(temps >> (8 * octet));
    for (int octet = 0; octet < 4; ++octet)
        h2 = h2 * 257u + static_cast<uint8_t>(horloge >> (8 * octet));
    return (h1 + compteur) ^ h2;
}

void alea_mt::seed_from_system(const char* source)
{
    uint32_t cle[N];
    int lus = 0;
    if (FILE* f = std::fopen(source, "rb")) {
        while (lus < N && std::fread(&cle[lus], 4, 1, f) == 1)
            ++lus;
        std::fclose(f);
    }
    if (lus == N) {
        init_by_array(cle, N);
        return;
    }
    const uint64_t temps = static_cast<uint64_t>(std::time(nullptr));
    const uint32_t horloge = static_cast<uint32_t>(std::clock());
    init_genrand(graine_horloge(temps, horloge, compteur_graines));
    ++compteur_graines;
}
