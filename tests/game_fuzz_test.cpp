// Random play: thousands of clicks and frames on many seeds, on sound and on damaged board
// files, with the board's invariants checked after every action.
#include "game/plateau.h"
#include "game/score.h"
#include "game_fixture.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

namespace {

bool est_maille(int n)
{
    return n >= 0 && n < NB_MAILLES;
}

// Everything a frame or a click may leave behind must stay in range.
void verifier(const plateau& p, int score_avant, const std::string& ou)
{
    int selectionnees = 0;
    for (int i = 0; i < NB_MAILLES; ++i) {
        const pion& m = p.mailles[i];
        ASSERT_TRUE(m.couleur >= -1 && m.couleur < NB_COULEURS) << ou << " cell " << i;
        ASSERT_TRUE(m.image >= 0 && m.image <= 4) << ou << " cell " << i;
        ASSERT_TRUE(m.increment >= -1 && m.increment <= 1) << ou << " cell " << i;
        for (int v : m.voisins)
            ASSERT_TRUE(v == -1 || est_maille(v)) << ou << " cell " << i;
        ASSERT_TRUE(!m.marque || m.couleur != -1) << ou << " cell " << i;
        selectionnees += m.selectionne;
    }
    ASSERT_LE(selectionnees, 1) << ou;
    ASSERT_TRUE(p.etat_selection == 0 || p.etat_selection == 1) << ou;
    if (p.saisie_active && p.etat_selection == 1) {
        ASSERT_TRUE(est_maille(p.maille_selection)) << ou;
        ASSERT_TRUE(p.mailles[p.maille_selection].selectionne) << ou;
        ASSERT_NE(p.mailles[p.maille_selection].couleur, -1) << ou;
    }
    ASSERT_TRUE(p.maille_courante == -1 || est_maille(p.maille_courante)) << ou;
    ASSERT_TRUE(p.maille_suivante == -1 || est_maille(p.maille_suivante)) << ou;
    if (!p.saisie_active) { // a move is played
        ASSERT_TRUE(p.etape >= 0 && p.etape < p.nb_etapes) << ou;
    }
    for (int c : p.couleurs_nouv_pions)
        ASSERT_TRUE(c >= 0 && c < NB_COULEURS) << ou;
    const int gain = score - score_avant;
    const int racine = static_cast<int>(std::lround(std::sqrt(gain)));
    ASSERT_TRUE(gain == 0 || (racine >= 5 && racine * racine == gain)) << ou << " +" << gain;
}

// The shipped file with some numbers replaced by random ones (in range or not) and possibly
// cut short, or plain noise.
std::string abimer(const std::string& texte, std::mt19937& gen)
{
    if (gen() % 8 == 0) {
        std::string bruit;
        for (unsigned k = gen() % 400; k > 0; --k)
            bruit += std::to_string(static_cast<int>(gen() % 300) - 150) + (gen() % 5 ? " " : "\n");
        return bruit;
    }
    std::istringstream in(texte);
    std::string out, mot;
    const unsigned coupe = gen() % 3 == 0 ? gen() % 2000 : 1u << 30;
    for (unsigned k = 0; in >> mot && k < coupe; ++k) {
        if (gen() % 40 == 0)
            mot = std::to_string(static_cast<int>(gen() % 400) - 200);
        out += mot + " ";
    }
    return out;
}

void jouer_partie(uint32_t graine, bool fichiers_abimes)
{
    std::mt19937 gen(graine);
    plateau p;
    preparer(p, graine, false);
    if (fichiers_abimes) {
        write_file("mailles.txt", abimer(read_file("./data/grille_mailles.txt"), gen));
        write_file("lignes.txt", abimer(read_file("./data/lignes.txt"), gen));
        p.lire_lignes("lignes.txt");
        p.lire_mailles("mailles.txt");
    }
    const std::string ou = "seed " + std::to_string(graine);
    for (int action = 0; action < 3000; ++action) {
        const int score_avant = score;
        const unsigned choix = gen() % 10;
        if (choix < 5) {
            p.logic();
        } else {
            // Mostly a sensible click (a piece to select, an empty cell to go to), sometimes
            // anything at all.
            int cell = static_cast<int>(gen() % 130) - 2;
            if (choix < 9) {
                const bool vers_piece = p.etat_selection == 0 || gen() % 4 == 0;
                for (int essai = 0; essai < 20; ++essai) {
                    const int c = static_cast<int>(gen() % NB_MAILLES);
                    if ((p.mailles[c].couleur != -1) == vers_piece) {
                        cell = c;
                        break;
                    }
                }
            }
            p.clic(cell);
        }
        verifier(p, score_avant, ou + " action " + std::to_string(action));
        if (::testing::Test::HasFatalFailure())
            return;
        p.sons_mouvement = p.sons_ligne = 0;
    }
}

// Seeds played by each test below: every one in the optimised build; under the sanitizers,
// where a game costs some forty times more, a spread of one seed in four.
#ifdef BRIMZO_SANITIZE_BUILD
constexpr uint32_t PAS_GRAINES = 4;
#else
constexpr uint32_t PAS_GRAINES = 1;
#endif

} // namespace

TEST(RandomPlay, InvariantsHoldOnTheShippedBoard)
{
    for (uint32_t graine = 1; graine <= 150; graine += PAS_GRAINES) {
        jouer_partie(graine, false);
        ASSERT_FALSE(HasFatalFailure());
    }
}

TEST(RandomPlay, InvariantsHoldOnDamagedBoardFiles)
{
    for (uint32_t graine = 1001; graine <= 1150; graine += PAS_GRAINES) {
        jouer_partie(graine, true);
        ASSERT_FALSE(HasFatalFailure());
    }
}

// Random play does reach scores and ends of game, so the invariants above were tried on them.
TEST(RandomPlay, GamesScoreAndEnd)
{
    int scores = 0, finies = 0;
    for (uint32_t graine = 1; graine <= 40; ++graine) {
        std::mt19937 gen(graine);
        plateau p;
        preparer(p, graine, false);
        for (int action = 0; action < 3000; ++action) {
            if (gen() % 2)
                p.logic();
            else
                p.clic(static_cast<int>(gen() % NB_MAILLES));
        }
        scores += score > 0;
        finies += p.game_over;
    }
    EXPECT_GT(scores, 0);
    EXPECT_GT(finies, 0);
}
