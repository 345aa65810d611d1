// The game screen.
#include "game/jeu.h"

#include "app/log.h"
#include "game/geometrie.h"
#include "game/score.h"
#include "media/input.h"
#include "media/media.h"

#include <string>

jeu::jeu()
{
    // The cells and the generator's seed come first, with `board`.
    write_log("construction classe jeu...", LOG_NO_NUMBER);
    img_grille = load_image("./data/grille.png");
    img_pions = load_image("./data/pions.png");
    img_game_over = load_image("./data/game_over.png");
    son_ligne = load_sound("./data/ligne.wav");
    son_mouvement = load_sound("./data/mouvement.wav");
    musique_game_over = Mix_LoadMUS("./data/game_over.wav");
    if (!img_grille || !img_pions || !img_game_over || !son_ligne || !son_mouvement ||
        !musique_game_over)
        write_log("JEU: ERREUR LORS DU CHARGEMENT DES FICHIERS", LOG_NO_NUMBER);

    score = 0;
    score_affiche = 0;
    img_score = render_text("0");

    board.lire_lignes("./data/lignes.txt");
    for (int n = 0; n < 40; ++n) {
        clips[n].x = static_cast<Sint16>(42 * (n % 5));
        clips[n].y = static_cast<Sint16>(42 * (n / 5));
        clips[n].w = 42;
        clips[n].h = 42;
        frames_pions[n] = cut_picture(img_pions, clips[n]);
    }
    board.lire_mailles("./data/grille_mailles.txt");
}

jeu::~jeu()
{
    Mix_HaltMusic();
    SDL_FreeSurface(img_grille);
    SDL_FreeSurface(img_pions);
    for (SDL_Surface* frame : frames_pions)
        SDL_FreeSurface(frame);
    SDL_FreeSurface(img_game_over);
    SDL_FreeSurface(img_score);
    if (son_ligne != nullptr)
        Mix_FreeChunk(son_ligne);
    if (son_mouvement != nullptr)
        Mix_FreeChunk(son_mouvement);
    if (musique_game_over != nullptr)
        Mix_FreeMusic(musique_game_over);
}

int jeu::recherche_pion() const
{
    return ::recherche_pion(mouse_x, mouse_y);
}

void jeu::leave_for_scores()
{
    Mix_PauseMusic();
    set_next_state(STATE_HI_SCORES);
}

void jeu::handle_events()
{
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == KEY_ESCAPE)
                set_next_state(STATE_EXIT);
            if (board.compteur_game_over > GAME_OVER_DELAY)
                leave_for_scores();
            break;
        case SDL_MOUSEMOTION:
            follow_motion();
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (board.saisie_active)
                board.clic(recherche_pion());
            if (board.compteur_game_over > GAME_OVER_DELAY)
                leave_for_scores();
            break;
        case SDL_QUIT:
            set_next_state(STATE_EXIT);
            break;
        default:
            break;
        }
    }
}

void jeu::update_score_text()
{
    if (score == score_affiche)
        return;
    // The whole number, however wide: the score area has room to the board's edge.
    SDL_Surface* text = render_text(std::to_string(score));
    SDL_FreeSurface(img_score);
    img_score = text;
    score_affiche = score;
}

void jeu::logic()
{
    board.logic();
    for (; board.sons_mouvement > 0; --board.sons_mouvement)
        play_sound(son_mouvement);
    for (; board.sons_ligne > 0; --board.sons_ligne)
        play_sound(son_ligne);
    update_score_text();
    if (board.game_over && !Mix_PlayingMusic() && musique_game_over != nullptr)
        Mix_PlayMusic(musique_game_over, -1);
}

void jeu::render()
{
    apply_surface(0, 0, img_grille, screen, nullptr);
    apply_surface(99, 110, img_score, screen, nullptr);
    for (int cell = 0; cell < NB_MAILLES; ++cell) {
        const pion& p = board.mailles[cell];
        if (p.couleur == -1)
            continue;
        int x = 0, y = 0;
        calcul_pion_pos(cell, x, y);
        apply_surface(x, y, frames_pions[p.couleur * 5 + p.image], screen, nullptr);
    }
    for (int k = 0; k < 4; ++k)
        apply_surface(28 + 46 * k, 380, frames_pions[board.couleurs_nouv_pions[k] * 5], screen,
                      nullptr);
    if (board.game_over && (board.compteur_game_over / 3) % 5 != 0)
        apply_surface(305, 213, img_game_over, screen, nullptr);
    MouseRender();
}
