// Event storm: random pointer moves, buttons and keys (never Escape, never a window close, never
// the menu's Quit) pushed through the real screens frame after frame, visiting every screen and
// the name entry, with the memory in use compared between the first and the last tenth of the
// run. BRIMZO_STORM_FRAMES sets the length (tools/soak.sh runs 100,000 frames under the
// sanitizers; the suite a few thousand).
#include "app/states.h"
#include "game/geometrie.h"
#include "game/jeu.h"
#include "scores/hi_scores.h"
#include "screens/menu.h"
#include "support/system.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// Bytes the program holds on its heap right now.
size_t memoire_utilisee()
{
    return test_system::heap_bytes_in_use();
}

int images_demandees()
{
    const char* n = std::getenv("BRIMZO_STORM_FRAMES");
    return n != nullptr ? std::atoi(n) : 3000;
}

class tempete
{
public:
    explicit tempete(uint32_t graine) : gen(graine) {}

    // The events of the next frame for the screen now up.
    void preparer_image()
    {
        switch (stateID) {
        case STATE_MENU:
            evenement_menu();
            break;
        case STATE_JEU:
            if (gen() % 5 == 0)
                bruit(1 + gen() % 3);
            else
                jouer(static_cast<jeu*>(currentState)->regles());
            break;
        case STATE_HI_SCORES:
            if (static_cast<hi_scores*>(currentState)->entering_name() && gen() % 4 != 0)
                saisir_nom();
            else
                bruit(1 + gen() % 2);
            break;
        default: // intro and help: any key or click leaves them
            bruit(1 + gen() % 2);
            break;
        }
    }

    std::mt19937 gen;

private:
    static void pousser(const SDL_Event& e)
    {
        SDL_Event copie = e;
        SDL_PushEvent(&copie);
    }

    static void mouvement(int x, int y)
    {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.type = SDL_MOUSEMOTION;
        e.motion.x = static_cast<Uint16>(x);
        e.motion.y = static_cast<Uint16>(y);
        pousser(e);
    }

    static void bouton(Uint8 b, bool appui)
    {
        SDL_Event e = {};
        e.type = appui ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.type = e.type;
        e.button.button = b;
        e.button.state = appui ? SDL_PRESSED : SDL_RELEASED;
        pousser(e);
    }

    static void touche(int sym, bool appui)
    {
        SDL_Event e = {};
        e.type = appui ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.type = e.type;
        e.key.state = appui ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
        pousser(e);
    }

    void clic_en(int x, int y)
    {
        mouvement(x, y);
        bouton(SDL_BUTTON_LEFT, true);
        bouton(SDL_BUTTON_LEFT, false);
    }

    // Any key but Escape.
    int touche_au_hasard()
    {
        int sym;
        do
            sym = 1 + static_cast<int>(gen() % (SDLK_LAST - 1));
        while (sym == SDLK_ESCAPE);
        return sym;
    }

    void un_bruit()
    {
        switch (gen() % 4) {
        case 0:
        case 1:
            mouvement(static_cast<int>(gen() % 800), static_cast<int>(gen() % 600));
            break;
        case 2:
            bouton(static_cast<Uint8>(1 + gen() % 5), gen() % 4 != 0);
            break;
        default:
            touche(touche_au_hasard(), gen() % 4 != 0);
            break;
        }
    }

    void bruit(unsigned n)
    {
        for (unsigned k = 0; k < n; ++k)
            un_bruit();
    }

    // One event a frame, so that the item an activation hits is the one shown: a click or
    // Return on Quit becomes a move onto another item.
    void evenement_menu()
    {
        const int selection = static_cast<menu*>(currentState)->get_selection();
        const unsigned choix = gen() % 6;
        if (choix == 0) {
            const SDL_Rect r = menu::items[gen() % 3];
            mouvement(r.x + static_cast<int>(gen() % r.w), r.y + static_cast<int>(gen() % r.h));
            return;
        }
        if (choix == 1) {
            touche(gen() % 2 ? SDLK_UP : SDLK_DOWN, true);
            return;
        }
        if (choix == 2) {
            mouvement(static_cast<int>(gen() % 800), static_cast<int>(gen() % 600));
            return;
        }
        if (selection == 4) {
            const SDL_Rect r = menu::items[gen() % 3];
            mouvement(r.x + r.w / 2, r.y + r.h / 2);
            return;
        }
        if (choix == 3)
            touche(SDLK_RETURN, true);
        else if (choix == 4)
            bouton(static_cast<Uint8>(1 + gen() % 5), true);
        else {
            int sym = touche_au_hasard();
            if (sym == SDLK_RETURN)
                sym = SDLK_a;
            touche(sym, true); // every other key does nothing on the menu
        }
    }

    static void centre(int cell, int& x, int& y)
    {
        calcul_pion_pos(cell, x, y);
        x += 21;
        y += 21;
    }

    // Plays the game through clicks: a piece, then the reachable cell that lines it up with the
    // most pieces of its colour (so that runs, points and name entries come); after the game,
    // a click for the scores.
    void jouer(plateau& p)
    {
        int x = 0, y = 0;
        if (p.game_over) {
            if (p.compteur_game_over > jeu::GAME_OVER_DELAY)
                clic_en(static_cast<int>(gen() % 800), static_cast<int>(gen() % 600));
            else
                mouvement(static_cast<int>(gen() % 800), static_cast<int>(gen() % 600));
            return;
        }
        if (!p.saisie_active)
            return;
        if (p.etat_selection != 1 || gen() % 8 == 0) {
            std::vector<int> pieces;
            for (int i = 0; i < NB_MAILLES; ++i)
                if (p.mailles[i].couleur != -1)
                    pieces.push_back(i);
            if (pieces.empty())
                return;
            centre(pieces[gen() % pieces.size()], x, y);
            clic_en(x, y);
            return;
        }
        const int source = p.maille_selection;
        const int couleur = p.mailles[source].couleur;
        int meilleure = -1, valeur_max = -1;
        for (int c = 0; c < NB_MAILLES; ++c) {
            if (p.longueur_chemin(c) <= 0)
                continue;
            int valeur = 0;
            for (int j = 0; j < NB_LIGNES; ++j) {
                if (!p.ligne_valide[j])
                    continue;
                const int* l = p.lignes[j];
                if (std::find(l, l + 5, c) == l + 5)
                    continue;
                int n = 0;
                for (int k = 0; k < 5; ++k)
                    n += l[k] != c && l[k] != source && p.mailles[l[k]].couleur == couleur;
                valeur = std::max(valeur, n);
            }
            valeur = valeur * 16 + static_cast<int>(gen() % 16);
            if (valeur > valeur_max) {
                valeur_max = valeur;
                meilleure = c;
            }
        }
        if (meilleure == -1) {
            // The selected piece is walled in: another cell, maybe another piece.
            centre(static_cast<int>(gen() % NB_MAILLES), x, y);
            clic_en(x, y);
            return;
        }
        centre(meilleure, x, y);
        clic_en(x, y);
    }

    // The letter arrows and, a time in four, OK.
    void saisir_nom()
    {
        static const SDL_Rect boutons[7] = {
            {304, 260, 38, 28}, {375, 260, 38, 28}, {450, 260, 38, 28}, {304, 366, 38, 28},
            {375, 366, 38, 28}, {450, 366, 38, 28}, {360, 410, 70, 85},
        };
        const SDL_Rect r = boutons[gen() % 4 == 0 ? 6 : gen() % 6];
        mouvement(r.x + static_cast<int>(gen() % r.w), r.y + static_cast<int>(gen() % r.h));
        if (gen() % 2)
            bouton(SDL_BUTTON_LEFT, true);
        else
            touche(touche_au_hasard(), true);
    }
};

TEST(EventStorm, EveryScreenTakesRandomEventsWithoutGrowing)
{
    const int images = images_demandees();
    ASSERT_GE(images, 1000);
    app_harness app;
    ASSERT_EQ(app.start(), 0);
    tempete t(20261210);

    bool vu[STATE_EXIT + 1] = {};
    int entrees[STATE_EXIT + 1] = {};
    int saisies = 0, parties = 0;
    bool en_saisie = false;
    // The heap in use on menu frames: the same screen each time, so the first and last tenths
    // compare like with like.
    size_t menu_debut = 0, menu_fin = 0, pic_debut = 0, pic_fin = 0;
    int echantillons_debut = 0, echantillons_fin = 0;
    const int dixieme = images / 10;

    int precedent = stateID;
    vu[stateID] = true;
    ++entrees[stateID];
    for (int i = 0; i < images; ++i) {
        t.preparer_image();
        ASSERT_TRUE(app.frame()) << "frame " << i;
        ASSERT_NE(stateID, STATE_EXIT) << "frame " << i;
        if (stateID != precedent) {
            vu[stateID] = true;
            ++entrees[stateID];
            if (stateID == STATE_JEU) {
                // Each game is seeded from the storm, so the whole run replays exactly.
                const uint32_t graine = t.gen();
                static_cast<jeu*>(currentState)->regles().alea.init_by_array(&graine, 1);
                ++parties;
            }
            precedent = stateID;
        }
        const bool saisie =
            stateID == STATE_HI_SCORES && static_cast<hi_scores*>(currentState)->entering_name();
        saisies += saisie && !en_saisie;
        en_saisie = saisie;

        const size_t m = memoire_utilisee();
        if (i < dixieme) {
            pic_debut = std::max(pic_debut, m);
            if (stateID == STATE_MENU) {
                menu_debut = std::max(menu_debut, m);
                ++echantillons_debut;
            }
        } else if (i >= images - dixieme) {
            pic_fin = std::max(pic_fin, m);
            if (stateID == STATE_MENU) {
                menu_fin = std::max(menu_fin, m);
                ++echantillons_fin;
            }
        }
    }
    app.stop();

    for (int s : {STATE_INTRO, STATE_AIDE, STATE_MENU, STATE_JEU, STATE_HI_SCORES})
        EXPECT_TRUE(vu[s]) << "state " << s << " never entered";
    EXPECT_GT(saisies, 0) << "the name entry was never reached";

    // A leak of even one small surface per game or per visit of a screen would pass this
    // margin within the run; the margin itself covers the allocators' own bookkeeping.
    const size_t marge = std::max<size_t>(64 * 1024, menu_debut / 100);
    ASSERT_GT(echantillons_debut, 0);
    ASSERT_GT(echantillons_fin, 0);
    EXPECT_LE(menu_fin, menu_debut + marge);
    std::printf("storm: %d frames, %d games, %d name entries, entries intro %d aide %d menu %d "
                "jeu %d hi_scores %d; heap on menu frames: first tenth %zu, last tenth %zu "
                "bytes; peak first tenth %zu, last tenth %zu bytes\n",
                images, parties, saisies, entrees[STATE_INTRO], entrees[STATE_AIDE],
                entrees[STATE_MENU], entrees[STATE_JEU], entrees[STATE_HI_SCORES], menu_debut,
                menu_fin, pic_debut, pic_fin);
}

} // namespace
