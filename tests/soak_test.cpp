// Soak: thousands of seeded games of random legal moves through the rules, every move's pieces
// and points accounted for. BRIMZO_SOAK_GAMES sets the number of games (tools/soak.sh runs
// 10,000; the suite a few hundred).
#include "game_fixture.h"
#include "partie_aleatoire.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// More moves than any game can last: each move without a run deals four pieces, and a run
// needs at least one move to build, so a game on 126 cells ends within a few hundred.
constexpr int COUPS_MAX = 20000;

int parties_demandees()
{
    const char* n = std::getenv("BRIMZO_SOAK_GAMES");
    return n != nullptr ? std::atoi(n) : 300;
}

TEST(Soak, SeededGamesKeepTheirBookkeepingAndEnd)
{
    const int parties = parties_demandees();
    long coups = 0, images = 0, posees = 0, retirees = 0, points = 0, bloquees = 0, max_coups = 0;
    for (int g = 1; g <= parties; ++g) {
        const uint32_t graine = static_cast<uint32_t>(g);
        plateau p;
        preparer(p, graine, false);
        partie_aleatoire partie(p, graine, true);
        partie.jouer(COUPS_MAX);
        ASSERT_EQ(partie.erreur, "") << "seed " << graine;
        ASSERT_NE(partie.etat, partie_aleatoire::EN_COURS)
            << "seed " << graine << " still going after " << COUPS_MAX << " moves";
        bloquees += partie.etat == partie_aleatoire::PLATEAU_BLOQUE;
        coups += partie.coups;
        images += partie.images;
        posees += partie.posees;
        retirees += partie.retirees;
        points += partie.points;
        max_coups = std::max(max_coups, partie.coups);
    }
    // The games did score and ended on a full board, so the checks above were exercised.
    EXPECT_GT(retirees, 0);
    EXPECT_EQ(bloquees, 0);
    std::printf("soak: %d games, %ld moves (longest game %ld), %ld frames, %ld pieces dealt, "
                "%ld removed, %ld points\n",
                parties, coups, max_coups, images, posees, retirees, points);
}

} // namespace
