// The game's random generator against the classic Mersenne Twister, its draws and its seeding.
#include "game/alea.h"
#include "game_fixture.h"
#include "mt_classique.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint32_t> tirages(alea_mt& a, int n)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(a.genrand_int32());
    return v;
}

std::vector<uint32_t> tirages(mt_classique& a, int n)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(a.genrand_int32());
    return v;
}

} // namespace

TEST(Alea, PublishedVectors)
{
    alea_mt a;
    a.init_genrand(5489);
    EXPECT_EQ(a.genrand_int32(), 3499211612u);
    for (int i = 2; i < 10000; ++i)
        a.genrand_int32();
    EXPECT_EQ(a.genrand_int32(), 4123659995u); // the 10000th output

    a.init_by_array(CLE_TEST, 4);
    EXPECT_EQ(tirages(a, 5), (std::vector<uint32_t>{1067595299u, 955945823u, 477289528u,
                                                    4107218783u, 4228976476u}));
}

TEST(Alea, FollowsTheClassicGeneratorAcrossManyRegenerations)
{
    std::vector<uint32_t> longue(624);
    for (size_t i = 0; i < longue.size(); ++i)
        longue[i] = static_cast<uint32_t>(i * 2654435761u);
    struct cle
    {
        const uint32_t* mots;
        int n;
    };
    const uint32_t un = 42;
    for (cle c : {cle{CLE_TEST, 4}, cle{&un, 1}, cle{longue.data(), 624}}) {
        alea_mt a;
        mt_classique ref;
        a.init_by_array(c.mots, c.n);
        ref.init_by_array(c.mots, c.n);
        EXPECT_EQ(tirages(a, 3000), tirages(ref, 3000)) << "key of " << c.n << " words";
    }
    for (uint32_t graine : {0u, 1u, 5489u, 0xffffffffu}) {
        alea_mt a;
        mt_classique ref;
        a.init_genrand(graine);
        ref.init_genrand(graine);
        EXPECT_EQ(tirages(a, 3000), tirages(ref, 3000)) << "seed " << graine;
    }
}

TEST(Alea, KeyLongerThanTheStateIsMixedInWhole)
{
    std::vector<uint32_t> cle(1000);
    for (size_t i = 0; i < cle.size(); ++i)
        cle[i] = static_cast<uint32_t>(i * 7919u + 13u);
    alea_mt a, b;
    mt_classique ref;
    a.init_by_array(cle.data(), cle.size());
    ref.init_by_array(cle.data(), static_cast<int>(cle.size()));
    EXPECT_EQ(tirages(a, 1000), tirages(ref, 1000));
    cle[999] ^= 1; // the last word counts too
    b.init_by_array(cle.data(), cle.size());
    a.init_by_array(cle.data(), cle.size() - 1);
    EXPECT_NE(tirages(a, 10), tirages(b, 10));
}

// tirage(n) keeps the output under the smallest all-ones mask covering n and draws again while
// it exceeds n.
TEST(Alea, TirageMasksAndRedraws)
{
    struct cas
    {
        uint32_t n, masque;
    };
    for (cas c :
         {cas{0, 0}, cas{1, 1}, cas{2, 3}, cas{7, 7}, cas{8, 15}, cas{125, 127}, cas{127, 127},
          cas{128, 255}, cas{0x80000000u, 0xffffffffu}, cas{0xffffffffu, 0xffffffffu}}) {
        alea_mt a, brut;
        a.init_by_array(CLE_TEST, 4);
        brut.init_by_array(CLE_TEST, 4);
        for (int i = 0; i < 500; ++i) {
            uint32_t attendu;
            do
                attendu = brut.genrand_int32() & c.masque;
            while (attendu > c.n);
            ASSERT_EQ(a.tirage(c.n), attendu) << "n " << c.n << " draw " << i;
        }
    }
}

TEST(Alea, CellDrawsSkip126And127AndColourDrawsNeverRedraw)
{
    alea_mt a, brut;
    a.init_genrand(99);
    brut.init_genrand(99);
    int redraws = 0;
    for (int i = 0; i < 2000; ++i) {
        const uint32_t c = a.tirage(125);
        ASSERT_LE(c, 125u);
        uint32_t v = brut.genrand_int32() & 127;
        while (v > 125) {
            ++redraws;
            v = brut.genrand_int32() & 127;
        }
        ASSERT_EQ(c, v);
        ASSERT_EQ(a.tirage(7), brut.genrand_int32() & 7);
    }
    EXPECT_GT(redraws, 0);
}

TEST(Alea, SameKeySameGame)
{
    plateau p1, p2;
    preparer(p1, 777, false);
    preparer(p2, 777, false);
    for (int i = 0; i < 3; ++i) {
        p1.logic();
        p2.logic();
        p1.nouv_pions_a_poser = p2.nouv_pions_a_poser = true;
    }
    for (int i = 0; i < NB_MAILLES; ++i)
        EXPECT_EQ(p1.mailles[i].couleur, p2.mailles[i].couleur);
    EXPECT_EQ(occupees(p1), 12);
    EXPECT_EQ(std::vector<int>(p1.couleurs_nouv_pions, p1.couleurs_nouv_pions + 4),
              std::vector<int>(p2.couleurs_nouv_pions, p2.couleurs_nouv_pions + 4));
}

// 624 words of the system source are the key of the array initialisation, in the order read.
TEST(AleaSeeding, SystemSourceIsTheKey)
{
    std::vector<uint32_t> cle(624);
    for (size_t i = 0; i < cle.size(); ++i)
        cle[i] = static_cast<uint32_t>(0x9e3779b9u * (i + 1));
    std::string octets(624 * 4, '\0');
    std::memcpy(&octets[0], cle.data(), octets.size());
    write_file("source", octets + "extra bytes are not read");

    alea_mt a, b;
    a.seed_from_system("source");
    b.init_by_array(cle.data(), cle.size());
    EXPECT_EQ(tirages(a, 1000), tirages(b, 1000));
}

// A missing or short source falls back on the clock; two seeds taken within one clock tick
// still differ through the process-wide counter.
TEST(AleaSeeding, ClockFallbackDiffersFromOneGameToTheNext)
{
    write_file("courte", std::string(623 * 4 + 3, 'x'));
    for (const char* source : {"./absente", "courte"}) {
        alea_mt a, b;
        a.seed_from_system(source);
        b.seed_from_system(source);
        EXPECT_NE(tirages(a, 4), tirages(b, 4)) << source;
    }
    alea_mt sys;
    sys.seed_from_system(); // the real source, whichever way it goes
    const uint32_t premier = sys.genrand_int32();
    sys.seed_from_system();
    EXPECT_NE(sys.genrand_int32(), premier);
}

// The clock seed: the 8 bytes of the time and the 4 of the processor clock, least significant
// first, each hashed as h = h * 257 + byte; then (h1 + counter) XOR h2.
TEST(AleaSeeding, ClockSeedHash)
{
    EXPECT_EQ(alea_mt::graine_horloge(0, 0, 0), 0u);
    EXPECT_EQ(alea_mt::graine_horloge(1, 0, 0), 257u * 257 * 257 * 257 * 257 * 257 * 257);
    EXPECT_EQ(alea_mt::graine_horloge(0, 0, 5), 5u);
    EXPECT_EQ(alea_mt::graine_horloge(0, 0x01000000u, 0), 1u);
    EXPECT_EQ(alea_mt::graine_horloge(0x0100000000000000ull, 0, 3), 4u);
    uint32_t p7 = 1; // 257^7, in 32 bits
    for (int i = 0; i < 7; ++i)
        p7 *= 257u;
    EXPECT_EQ(alea_mt::graine_horloge(0x0100000000000002ull, 0x02000001u, 0),
              (2u * p7 + 1u) ^ (257u * 257u * 257u + 2u));
    EXPECT_EQ(alea_mt::graine_horloge(0x0100000000000002ull, 0x02000001u, 9),
              (2u * p7 + 1u + 9u) ^ (257u * 257u * 257u + 2u));
}
