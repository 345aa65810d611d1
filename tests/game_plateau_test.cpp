// The rules of a game played straight on the rules object: animation, selection, moves, runs
// and scores, dealing and the end of the game.
#include "game/plateau.h"
#include "game/score.h"
#include "game_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

struct etat_anime
{
    int image, increment, couleur;
};

// Animation steps of one cell, starting from (image, increment), with the selection flag.
std::vector<etat_anime> etapes(int image, int increment, bool selectionne, int n)
{
    plateau p;
    preparer(p);
    pion& m = p.mailles[40];
    m.couleur = 2;
    m.image = image;
    m.increment = increment;
    m.selectionne = selectionne;
    std::vector<etat_anime> v;
    for (int i = 0; i < n; ++i) {
        p.animation();
        v.push_back({m.image, m.increment, m.couleur});
    }
    return v;
}

std::vector<int> images(const std::vector<etat_anime>& v)
{
    std::vector<int> r;
    for (const etat_anime& e : v)
        r.push_back(e.image);
    return r;
}

// Every cell but the listed ones holds a piece at rest; colours cycle through five values
// along each row so that no run of one colour forms.
void remplir_sauf(plateau& p, const std::set<int>& libres)
{
    for (int i = 0; i < NB_MAILLES; ++i)
        if (!libres.count(i))
            poser(p, std::to_string(i) + ":" + std::to_string((i % 6 + 2 * (i / 6)) % 5));
}

} // namespace

TEST(Animation, AppearingVanishingAndSelectedPieces)
{
    // Placed with frame 4, coming into view: 3, 2, 1, 0, then at rest.
    const auto apparait = etapes(4, -1, false, 6);
    EXPECT_EQ(images(apparait), (std::vector<int>{3, 2, 1, 0, 0, 0}));
    EXPECT_EQ(apparait[3].increment, -1);
    EXPECT_EQ(apparait[4].increment, 0);

    // Given +1 at rest: 1, 2, 3, 4, and empty at the fifth step.
    const auto disparait = etapes(0, +1, false, 5);
    EXPECT_EQ(images(disparait), (std::vector<int>{1, 2, 3, 4, 0}));
    EXPECT_EQ(disparait[3].couleur, 2);
    EXPECT_EQ(disparait[4].couleur, -1);
    EXPECT_EQ(disparait[4].increment, 0);

    // Selected at rest: alternates 1, 0, 1, 0.
    EXPECT_EQ(images(etapes(0, 0, true, 4)), (std::vector<int>{1, 0, 1, 0}));
    // Selected while appearing: stuck at 0; selected while vanishing: never leaves.
    EXPECT_EQ(images(etapes(4, -1, true, 4)), (std::vector<int>{0, 0, 0, 0}));
    const auto fige = etapes(0, +1, true, 8);
    EXPECT_EQ(images(fige), std::vector<int>(8, 0));
    EXPECT_EQ(fige.back().couleur, 2);
}

TEST(Animation, SelectedAppearingPieceComesToRestWhenDeselected)
{
    plateau p;
    preparer(p);
    poser(p, "40:2 50:3");
    p.mailles[40].image = 4;
    p.mailles[40].increment = -1;
    p.clic(40);
    p.animation();
    p.animation();
    EXPECT_EQ(p.mailles[40].image, 0);
    EXPECT_EQ(p.mailles[40].increment, -1);
    p.clic(50); // the first piece is deselected and shows frame 0
    EXPECT_FALSE(p.mailles[40].selectionne);
    p.animation();
    EXPECT_EQ(p.mailles[40].image, 0);
    EXPECT_EQ(p.mailles[40].increment, 0);
}

TEST(Animation, CountsOccupiedCellsAndVanishedMarksAreCleared)
{
    plateau p;
    preparer(p);
    poser(p, "1:0 2:0 3:0");
    p.mailles[2].increment = +1;
    p.mailles[2].image = 4;
    p.mailles[2].marque = true;
    EXPECT_EQ(p.animation(), 2);
    EXPECT_FALSE(p.mailles[2].marque);
}

TEST(Selection, ClicksSelectReselectAndIgnore)
{
    plateau p;
    preparer(p);
    poser(p, "0:1 50:2");

    for (int rien : {-1, 126, -7, 60}) { // no cell, not a cell, an empty cell
        p.clic(rien);
        EXPECT_EQ(p.etat_selection, 0);
        EXPECT_TRUE(p.saisie_active);
    }

    p.clic(0);
    EXPECT_EQ(p.etat_selection, 1);
    EXPECT_EQ(p.maille_selection, 0);
    EXPECT_TRUE(p.mailles[0].selectionne);
    EXPECT_EQ(p.longueur_chemin(6), 1);

    p.animation(); // blinking: frame 1
    EXPECT_EQ(p.mailles[0].image, 1);
    p.clic(50);
    EXPECT_FALSE(p.mailles[0].selectionne);
    EXPECT_EQ(p.mailles[0].image, 0);
    EXPECT_TRUE(p.mailles[50].selectionne);
    EXPECT_EQ(p.maille_selection, 50);
    EXPECT_EQ(p.longueur_chemin(6), 5); // routes rebuilt for the new selection
    EXPECT_GT(p.longueur_chemin(62), 0);

    p.clic(50); // the same piece again: still selected, routes rebuilt
    EXPECT_TRUE(p.mailles[50].selectionne);
    EXPECT_EQ(p.etat_selection, 1);
    EXPECT_EQ(p.chemins.depart(), 50);
}

TEST(Selection, BlockedPieceStaysSelected)
{
    plateau p;
    preparer(p);
    // Cell 61 and its six neighbours.
    poser(p, "61:4 49:0 54:1 55:2 66:3 67:0 73:1");
    p.clic(61);
    for (int cible : {0, 60, 62, 125}) {
        EXPECT_EQ(p.longueur_chemin(cible), 0);
        p.clic(cible);
        EXPECT_TRUE(p.saisie_active);
        EXPECT_EQ(p.etat_selection, 1);
        EXPECT_TRUE(p.mailles[61].selectionne);
    }
    jouer(p, 3);
    EXPECT_EQ(p.sons_mouvement, 0);
    EXPECT_EQ(p.mailles[61].couleur, 4);
}

TEST(Selection, UnreachableTargetIsIgnoredAndClicksDuringAMoveToo)
{
    plateau p;
    preparer(p);
    // Cell 0 walled in by 6 and 12; the selected piece at 100 cannot reach it.
    poser(p, "6:1 12:2 100:3 110:4");
    p.clic(100);
    p.clic(0);
    EXPECT_TRUE(p.saisie_active);
    p.clic(101);
    EXPECT_FALSE(p.saisie_active);
    const int selection = p.maille_selection, cible = p.index_chemin;
    p.clic(110);
    p.clic(50);
    EXPECT_EQ(p.maille_selection, selection);
    EXPECT_EQ(p.index_chemin, cible);
    EXPECT_FALSE(p.mailles[110].selectionne);
}

// A move of n cells: one step every three frames, a sound as each step starts, the piece
// showing up on each cell of the route in turn; on the last frame the runs are checked and
// clicks are accepted again.
TEST(Move, NCellsTakeThreeNFramesAndNSounds)
{
    struct cas
    {
        int cible, n;
    };
    for (cas c : {cas{6, 1}, cas{13, 2}, cas{48, 4}, cas{120, 10}, cas{125, 0}}) {
        plateau p;
        preparer(p);
        poser(p, "0:3");
        p.clic(0);
        const int n = c.n ? c.n : p.longueur_chemin(c.cible);
        ASSERT_EQ(p.longueur_chemin(c.cible), n) << "to " << c.cible;
        ASSERT_GT(n, 0);
        p.clic(c.cible);
        ASSERT_FALSE(p.saisie_active);
        EXPECT_EQ(p.nb_etapes, n);
        EXPECT_EQ(p.couleur_deplacee, 3);
        EXPECT_EQ(p.index_chemin, c.cible);

        std::vector<int> parcours;
        for (int frame = 1; frame <= 3 * n; ++frame) {
            EXPECT_FALSE(p.saisie_active) << "frame " << frame;
            p.logic();
            if (frame % 3 == 1) {
                parcours.push_back(p.maille_suivante);
                EXPECT_EQ(p.mailles[p.maille_suivante].couleur, 3);
            }
            EXPECT_EQ(p.sons_mouvement, (frame + 2) / 3) << "frame " << frame;
        }
        EXPECT_TRUE(p.saisie_active);
        EXPECT_EQ(p.etat_selection, 0);
        EXPECT_EQ(p.etape, n);
        std::vector<int> route;
        for (int t = 0; t < n; ++t)
            route.push_back(p.cellule_chemin(c.cible, t));
        EXPECT_EQ(parcours, route);
        EXPECT_EQ(route.back(), c.cible);
        EXPECT_EQ(p.mailles[0].couleur, -1);
        EXPECT_EQ(p.mailles[c.cible].couleur, 3);
        EXPECT_EQ(p.mailles[c.cible].image, 0);
        EXPECT_EQ(p.mailles[c.cible].increment, 0);
        EXPECT_FALSE(p.mailles[c.cible].selectionne);
        EXPECT_EQ(occupees(p), 1);
        EXPECT_TRUE(p.nouv_pions_a_poser); // no run: the preview comes next frame
        EXPECT_EQ(p.sons_ligne, 0);
        EXPECT_EQ(score, 0);
    }
}

TEST(Move, RouteGoesThroughColumnsZeroAndOne)
{
    plateau p;
    preparer(p);
    poser(p, "0:3");
    p.clic(0);
    EXPECT_EQ(p.longueur_chemin(13), 2);
    EXPECT_EQ(p.cellule_chemin(13, 0), 6);
    EXPECT_EQ(p.cellule_chemin(13, 1), 13);
}

// A step waits while the cell left still holds a piece (here one dropped there meanwhile).
TEST(Move, StepWaitsForTheCellLeftToEmpty)
{
    plateau p;
    preparer(p);
    poser(p, "0:3");
    p.clic(0);
    p.clic(13);
    p.logic();
    EXPECT_EQ(p.maille_courante, 0);
    p.mailles[0].couleur = 6;
    p.mailles[0].increment = 0;
    p.mailles[0].image = 0;
    jouer(p, 10);
    EXPECT_EQ(p.etape, 0);
    EXPECT_EQ(p.sons_mouvement, 1);
    p.mailles[0].increment = +1;
    jouer(p, 5 + 1 + 3);
    EXPECT_TRUE(p.saisie_active);
    EXPECT_EQ(p.mailles[13].couleur, 3);
    EXPECT_EQ(p.sons_mouvement, 2);
}

// Runs completed by moving a piece of colour 1 from cell 5 into the gap.
TEST(Runs, ScoreTheSquareOfThePiecesRemoved)
{
    struct cas
    {
        const char* nom;
        const char* pieces; // colour 1
        int trou;
        int retires;
    };
    const cas cas_[] = {
        {"five down column 0", "0 12 24 36", 48, 5},
        {"six", "0 12 24 36 60", 48, 6},
        {"seven", "0 12 24 36 60 72", 48, 7},
        {"nine: four, gap, four", "0 12 24 36 60 72 84 96", 48, 9},
        {"two crossing in one cell", "0 12 36 48 18 13 7 2", 24, 9},
        {"zig-zag along row 0", "0 6 1 7", 2, 5},
        {"zig-zag between rows", "12 6 13 7", 14, 5},
        {"down-right diagonal", "0 6 13 19", 26, 5},
        {"four only", "0 12 24", 36, 0},
    };
    for (const cas& c : cas_) {
        plateau p;
        preparer(p);
        poser_couleur(p, 1, c.pieces);
        poser(p, "125:1");
        p.clic(125);
        p.clic(c.trou);
        ASSERT_FALSE(p.saisie_active) << c.nom;
        jouer(p, 3 * p.nb_etapes);
        ASSERT_TRUE(p.saisie_active) << c.nom;
        EXPECT_EQ(score, c.retires * c.retires) << c.nom;
        int marques = 0;
        for (const pion& m : p.mailles)
            if (m.marque) {
                ++marques;
                EXPECT_EQ(m.increment, +1) << c.nom;
            }
        EXPECT_EQ(marques, c.retires) << c.nom;
        EXPECT_EQ(p.sons_ligne, c.retires ? 1 : 0) << c.nom;
        EXPECT_EQ(p.nouv_pions_a_poser, c.retires == 0) << c.nom;
        // The removed pieces vanish over the next five frames; nothing is dealt meanwhile
        // when a run scored.
        const int avant = occupees(p);
        jouer(p, 5);
        EXPECT_EQ(occupees(p), c.retires ? avant - c.retires : avant + 4) << c.nom;
    }
}

// Runs completed earlier (by new pieces) are removed with the one the move completes.
TEST(Runs, TwoSeparateRunsScoreOneHundred)
{
    plateau p;
    preparer(p);
    poser_couleur(p, 1, "0 12 24 36 5 17 29 41 53");
    poser(p, "125:1");
    p.clic(125);
    p.clic(48);
    jouer(p, 3 * p.nb_etapes);
    EXPECT_EQ(score, 100);
}

TEST(Runs, RunOfAppearingPiecesCountsAndOtherColoursDoNot)
{
    plateau p;
    preparer(p);
    poser_couleur(p, 2, "0 12 24 36 48");
    poser_couleur(p, 3, "1 13 25 37");
    poser(p, "49:4");
    for (int c : {0, 12, 24, 36, 48}) {
        p.mailles[c].image = 3;
        p.mailles[c].increment = -1;
    }
    p.controle_lignes();
    EXPECT_EQ(score, 25);
    EXPECT_FALSE(p.mailles[1].marque);
}

// A run still fading from the last check matches again if the next move ends before it has
// gone, and its pieces count again.
TEST(Runs, RunStillVanishingCountsAgain)
{
    plateau p;
    preparer(p);
    poser_couleur(p, 1, "0 12 24 36");
    poser(p, "125:1 110:6");
    p.clic(125);
    p.clic(48);
    jouer(p, 3 * p.nb_etapes);
    ASSERT_EQ(score, 25);
    p.clic(110);
    p.clic(122); // one cell: three frames, the run has not vanished yet
    ASSERT_EQ(p.nb_etapes, 1);
    jouer(p, 3);
    EXPECT_EQ(score, 50);
    EXPECT_EQ(p.sons_ligne, 2);
    EXPECT_FALSE(p.nouv_pions_a_poser);
    jouer(p, 3);
    p.clic(122);
    p.clic(110);
    jouer(p, 3);
    EXPECT_EQ(score, 50); // gone by now: nothing more
    EXPECT_TRUE(p.nouv_pions_a_poser);
}

// The first frame draws the preview, deals it and draws the next one, all from the game's
// generator in that order.
TEST(Deal, FirstFrameDealsThePreviewAndDrawsTheNext)
{
    plateau p;
    preparer(p, 0, false);
    alea_mt jumeau;
    jumeau.init_by_array(CLE_TEST, 4);
    int apercu[4];
    for (int& c : apercu)
        c = static_cast<int>(jumeau.tirage(7));
    std::set<int> prises;
    std::vector<int> cellules;
    for (int k = 0; k < 4; ++k) {
        int cell = static_cast<int>(jumeau.tirage(125));
        while (prises.count(cell))
            cell = static_cast<int>(jumeau.tirage(125));
        prises.insert(cell);
        cellules.push_back(cell);
    }
    p.logic();
    EXPECT_FALSE(p.debut_partie);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.mailles[cellules[k]].couleur, apercu[k]);
        EXPECT_EQ(p.mailles[cellules[k]].image, 3); // placed at 4, one animation step
    }
    EXPECT_EQ(occupees(p), 4);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(p.couleurs_nouv_pions[k], static_cast<int>(jumeau.tirage(7)));
    p.logic();
    EXPECT_EQ(occupees(p), 4); // nothing more until a move
}

// With two free cells the first two pieces fill them in preview order; the last two find
// none, the game is over, and the next preview is drawn all the same.
TEST(Deal, TwoFreeCellsThenGameOver)
{
    plateau p;
    preparer(p);
    remplir_sauf(p, {50, 51});
    const int apercu[4] = {1, 2, 3, 4};
    std::copy(apercu, apercu + 4, p.couleurs_nouv_pions);

    alea_mt jumeau;
    jumeau.init_by_array(CLE_TEST, 4);
    int premier = static_cast<int>(jumeau.tirage(125));
    while (premier != 50 && premier != 51)
        premier = static_cast<int>(jumeau.tirage(125));
    const int second = premier == 50 ? 51 : 50;
    int c = static_cast<int>(jumeau.tirage(125));
    while (c != second)
        c = static_cast<int>(jumeau.tirage(125));
    for (int k = 0; k < 2 * 5001; ++k)
        jumeau.tirage(125);

    p.dispose_nouv_pions();
    EXPECT_EQ(p.mailles[premier].couleur, 1);
    EXPECT_EQ(p.mailles[second].couleur, 2);
    EXPECT_EQ(p.mailles[premier].image, 4);
    EXPECT_EQ(p.mailles[premier].increment, -1);
    EXPECT_TRUE(p.game_over);
    EXPECT_TRUE(p.saisie_active);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(p.couleurs_nouv_pions[k], static_cast<int>(jumeau.tirage(7))) << k;
}

// A full board after the animation ends the game; from then on every frame counts, pieces
// fade out on five random cells and random pieces grow on three.
TEST(GameOver, FullBoardEndsTheGameAndTheBoardChurns)
{
    plateau p;
    preparer(p);
    remplir_sauf(p, {});
    alea_mt jumeau;
    jumeau.init_by_array(CLE_TEST, 4);

    p.logic();
    EXPECT_TRUE(p.game_over);
    EXPECT_EQ(p.compteur_game_over, 1);
    std::set<int> vers_zero;
    for (int k = 0; k < 5; ++k)
        vers_zero.insert(static_cast<int>(jumeau.tirage(125)));
    for (int k = 0; k < 3; ++k) {
        const int cell = static_cast<int>(jumeau.tirage(125));
        const int couleur = static_cast<int>(jumeau.tirage(7));
        EXPECT_EQ(p.mailles[cell].couleur, couleur);
        EXPECT_EQ(p.mailles[cell].image, 4);
        EXPECT_EQ(p.mailles[cell].increment, -1);
        vers_zero.erase(cell);
    }
    for (int cell : vers_zero)
        EXPECT_EQ(p.mailles[cell].increment, +1) << cell;

    // No more deals once the game is over, but the counter and the churn go on.
    p.nouv_pions_a_poser = true;
    jouer(p, 29);
    EXPECT_EQ(p.compteur_game_over, 30);
    EXPECT_TRUE(p.nouv_pions_a_poser);
}

TEST(GameOver, PlayGoesOnAfterTheEnd)
{
    plateau p;
    preparer(p);
    p.game_over = true;
    poser_couleur(p, 1, "0 12 24 36");
    poser(p, "120:1");
    p.clic(120);
    p.clic(48);
    ASSERT_FALSE(p.saisie_active);
    for (int i = 0; i < 60 && !p.saisie_active; ++i)
        p.logic();
    EXPECT_TRUE(p.saisie_active);
    EXPECT_GE(p.compteur_game_over, 1);
}
