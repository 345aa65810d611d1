// A scripted player for the benchmarks: real clicks and keys into the real screens.
#include "session_driver.h"

#include "app/states.h"
#include "game/geometrie.h"
#include "game/jeu.h"
#include "game/score.h"
#include "scores/hi_scores.h"

#include <vector>

namespace {

jeu& game_screen()
{
    return *static_cast<jeu*>(currentState);
}

hi_scores& table_screen()
{
    return *static_cast<hi_scores*>(currentState);
}

// Window point at the middle of a cell's sprite.
void cell_centre(int cell, int& x, int& y)
{
    calcul_pion_pos(cell, x, y);
    x += 21;
    y += 21;
}

// How many pieces of `colour` a run through `target` would hold once the piece from `source`
// sits there: the best over the runs whose other cells are of that colour or empty.
int run_value(const plateau& p, int source, int target, int colour)
{
    int best = 0;
    for (int j = 0; j < NB_LIGNES; ++j) {
        if (!p.ligne_valide[j])
            continue;
        const int* l = p.lignes[j];
        bool through = false;
        for (int k = 0; k < 5; ++k)
            through = through || l[k] == target;
        if (!through)
            continue;
        int same = 0;
        bool open = true;
        for (int k = 0; k < 5 && open; ++k) {
            const int c = l[k] == source ? -1 : p.mailles[l[k]].couleur;
            if (c == colour || l[k] == target)
                ++same;
            else if (c != -1)
                open = false;
        }
        if (open && same > best)
            best = same;
    }
    return best;
}

} // namespace

session_driver::session_driver(app_harness& app, std::function<void()> frame, unsigned seed)
    : app(app), frame(std::move(frame)), gen(seed)
{
}

void session_driver::step(int n)
{
    for (int i = 0; i < n; ++i)
        frame();
}

void session_driver::click_at(int x, int y)
{
    app.move(x, y);
    app.click();
    step();
}

void session_driver::intro_to_menu(int intro_frames, int help_frames, int menu_frames)
{
    step(intro_frames);
    click_at(400, 300);
    step(help_frames);
    app.key(SDLK_SPACE);
    step();
    step(menu_frames);
}

// One move as a player makes it: now and then a piece picked and dropped for another, then the
// piece and target that build the longest open run of its colour (ties drawn at random).
bool session_driver::play_one_move()
{
    const plateau& p = game_screen().regles();
    struct coup
    {
        int source, target, value;
    };
    std::vector<coup> coups;
    std::vector<int> pieces;
    int best = -1;
    table_chemins routes;
    for (int s = 0; s < NB_MAILLES; ++s) {
        if (p.mailles[s].couleur == -1 || p.mailles[s].marque)
            continue;
        pieces.push_back(s);
        routes.calcule(p.mailles, s);
        for (int t = 0; t < NB_MAILLES; ++t) {
            if (routes.longueur(t) == 0)
                continue;
            const int v = run_value(p, s, t, p.mailles[s].couleur);
            if (v > best) {
                best = v;
                coups.clear();
            }
            if (v == best)
                coups.push_back({s, t, v});
        }
    }
    if (coups.empty())
        return false;
    const coup c = coups[gen() % coups.size()];
    int x = 0, y = 0;
    if (gen() % 4 == 0) {
        cell_centre(pieces[gen() % pieces.size()], x, y);
        click_at(x, y);
        step(static_cast<int>(gen() % 8));
    }
    cell_centre(c.source, x, y);
    click_at(x, y);
    step(static_cast<int>(1 + gen() % 10));
    cell_centre(c.target, x, y);
    click_at(x, y);
    return true;
}

int session_driver::play_game(int churn_frames)
{
    app.move(400, 100); // over the first item, "play"
    step();
    app.key(SDLK_RETURN);
    step();
    if (stateID != STATE_JEU)
        return -1;
    step(10); // the first deal fades in
    for (int budget = 20000; budget > 0 && !game_screen().regles().game_over; --budget) {
        const plateau& p = game_screen().regles();
        if (p.saisie_active && !play_one_move())
            step(); // nothing can move: the next deal fills the board
        else
            step();
    }
    if (!game_screen().regles().game_over)
        return -1;
    const int points = score;
    step(churn_frames > jeu::GAME_OVER_DELAY ? churn_frames : jeu::GAME_OVER_DELAY + 1);
    click_at(700, 550);
    ++games;
    return stateID == STATE_HI_SCORES ? points : -1;
}

void session_driver::scores_to_menu(int entry_gap, int table_frames)
{
    if (stateID != STATE_HI_SCORES)
        return;
    if (table_screen().entering_name()) {
        // Forward arrows under each letter, a different number of steps each game.
        const int arrow_x[3] = {304 + 19, 375 + 19, 450 + 19};
        for (int letter = 0; letter < 3; ++letter)
            for (int k = 0; k < (games + letter) % 4 + 1; ++k) {
                click_at(arrow_x[letter], 366 + 14);
                step(entry_gap);
            }
        click_at(395, 450); // OK
    }
    step(table_frames);
    click_at(395, 450);
}
