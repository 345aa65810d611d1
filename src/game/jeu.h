// The game screen: draws the board's state, turns clicks into moves and plays the sounds the
// rules ask for. The rules themselves live in plateau.
#pragma once

#include "app/states.h"
#include "game/plateau.h"

#include <SDL.h>
#include <SDL_mixer.h>

class jeu : public GameState
{
public:
    jeu();
    ~jeu() override;
    void handle_events() override;
    void logic() override;
    void render() override;

    // The cell under the shared pointer position, or -1.
    int recherche_pion() const;

    // The game's rules and state (tests seed its generator with a fixed key).
    plateau& regles() { return board; }

    // Frames a finished game stays on screen before a click or key leads to the scores.
    static constexpr int GAME_OVER_DELAY = 30;

private:
    void leave_for_scores();
    void update_score_text();

    SDL_Surface* img_grille = nullptr;
    SDL_Surface* img_pions = nullptr;
    SDL_Surface* img_game_over = nullptr;
    SDL_Surface* img_score = nullptr;
    Mix_Chunk* son_ligne = nullptr;
    Mix_Chunk* son_mouvement = nullptr;
    Mix_Music* musique_game_over = nullptr;
    SDL_Rect clips[40];
    SDL_Surface* frames_pions[40] = {}; // each clip of img_pions cut out, drawn whole
    plateau board;         // the cells, the game's flags, the line table and the generator
    int score_affiche = 0; // the value img_score shows
};
