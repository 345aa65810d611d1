// The routes a selected piece takes, checked against the plain all-pairs table on many boards.
#include "board_topology.h"
#include "game/chemins.h"
#include "game/plateau.h"
#include "game_fixture.h"
#include "literal_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

std::vector<int> route_rapide(const table_chemins& t, int cible)
{
    std::vector<int> r;
    for (int k = 0; k < t.longueur(cible); ++k)
        r.push_back(t.cellule(cible, k));
    return r;
}

std::vector<int> route_litterale(const literal_paths& l, int source, int cible)
{
    std::vector<int> r;
    for (int k = 0; k < l.longueur(source, cible); ++k)
        r.push_back(l.cellule(source, cible, k));
    return r;
}

// A random board: neighbours from the board's shape, listed in a random order, and `pieces`
// cells occupied; returns an occupied cell to select.
int plateau_aleatoire(std::mt19937& gen, pion mailles[NB_MAILLES], int pieces)
{
    topologie::poser_voisins(mailles);
    std::vector<int> cells(NB_MAILLES);
    for (int i = 0; i < NB_MAILLES; ++i) {
        cells[i] = i;
        mailles[i].vider();
        std::shuffle(mailles[i].voisins, mailles[i].voisins + NB_VOISINS, gen);
    }
    std::shuffle(cells.begin(), cells.end(), gen);
    for (int k = 0; k < pieces; ++k)
        mailles[cells[k]].couleur = static_cast<int>(gen() % NB_COULEURS);
    return cells[gen() % pieces];
}

} // namespace

TEST(Chemins, SurroundedPieceHasNoRoute)
{
    pion mailles[NB_MAILLES];
    topologie::poser_voisins(mailles);
    for (pion& m : mailles)
        m.vider();
    for (int c : {61, 49, 54, 55, 66, 67, 73})
        mailles[c].couleur = 0;
    table_chemins t;
    t.calcule(mailles, 61);
    literal_paths l;
    l.calcul_chemins(mailles, 61);
    for (int cible = 0; cible < NB_MAILLES; ++cible) {
        EXPECT_EQ(t.longueur(cible), 0);
        EXPECT_EQ(l.chemins[61 * NB_MAILLES + cible], "");
    }
}

TEST(Chemins, TextOfTheTableAndItsReading)
{
    pion mailles[NB_MAILLES];
    topologie::poser_voisins(mailles);
    for (pion& m : mailles)
        m.vider();
    mailles[0].couleur = 1;
    literal_paths l;
    l.calcul_chemins(mailles, 0);
    EXPECT_EQ(l.chemins[0 * NB_MAILLES + 13], "  6, 13");
    EXPECT_EQ(l.chemins[0 * NB_MAILLES + 6], "  6");
    table_chemins t;
    t.calcule(mailles, 0);
    EXPECT_EQ(route_rapide(t, 13), (std::vector<int>{6, 13}));
    EXPECT_EQ(t.longueur(0), 0);
    EXPECT_EQ(t.cellule(13, 2), -1);
    EXPECT_EQ(t.cellule(13, -1), -1);
    EXPECT_EQ(t.longueur(126), 0);
}

// Where several shortest routes exist the piece follows the one the all-pairs loop keeps
// (intermediate cells ascending, outermost; strict improvements only). Every route from the
// selection, cell by cell, on boards from nearly empty to nearly full. A wrong route shows
// without any sanitizer: the optimised build compares 10,000 boards, the sanitizer build (some
// thirty times slower here) 400 others, enough for both finders' memory use to be checked.
TEST(Chemins, SameRoutesAsTheAllPairsTableOnRandomBoards)
{
#ifdef BRIMZO_SANITIZE_BUILD
    std::mt19937 gen(20240602);
    const int plateaux = 400;
#else
    std::mt19937 gen(20240601);
    const int plateaux = 10000;
#endif
    literal_paths l;
    table_chemins t;
    pion mailles[NB_MAILLES];
    long routes = 0, avec_choix = 0;
    for (int b = 0; b < plateaux; ++b) {
        const int pieces = 1 + static_cast<int>(gen() % 120);
        const int selection = plateau_aleatoire(gen, mailles, pieces);
        l.calcul_chemins(mailles, selection);
        t.calcule(mailles, selection);
        for (int cible = 0; cible < NB_MAILLES; ++cible) {
            const std::vector<int> attendue = route_litterale(l, selection, cible);
            ASSERT_EQ(route_rapide(t, cible), attendue)
                << "board " << b << " with " << pieces << " pieces, from " << selection << " to "
                << cible;
            routes += !attendue.empty();
            avec_choix += attendue.size() >= 3;
        }
    }
    // The boards did exercise long routes with several shortest choices (on average more than
    // ten routes, and five with a choice, per board).
    EXPECT_GT(routes, 10L * plateaux);
    EXPECT_GT(avec_choix, 5L * plateaux);
}

// The game's own route table: built at selection, kept when the board changes afterwards.
TEST(Chemins, TableIsASnapshotTakenAtSelection)
{
    plateau p;
    preparer(p);
    poser(p, "0:3");
    p.clic(0);
    ASSERT_EQ(p.longueur_chemin(13), 2);
    poser(p, "6:4"); // lands on the route after the selection
    EXPECT_EQ(p.longueur_chemin(13), 2);
    p.clic(13);
    jouer(p, 6);
    EXPECT_EQ(p.mailles[13].couleur, 3);
    EXPECT_EQ(p.mailles[6].couleur, -1); // the piece passed over it and left it empty
}
