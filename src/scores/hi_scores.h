// The high-score screen: the ten best results, and the name entry after a game that beat one.
#pragma once

#include "app/states.h"
#include "scores/score_file.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <string>

// Room for a row: four characters of name, four spaces, a full int with its sign, the NUL.
constexpr int LINE_TEXT_SIZE = 4 + 4 + 11 + 1;

class hi_scores : public GameState
{
public:
    hi_scores();
    ~hi_scores() override;
    void handle_events() override;
    void logic() override;
    void render() override;

    // Row text: the name's first four characters at most, four spaces, the score in decimal.
    static void format_score_line(int points, std::string name, char* line);

    // What the screen shows, for tests and tools.
    bool entering_name() const { return entry_active; }
    int blinking_row() const { return new_rank; }
    const char* line_text(int row) const { return line_texts[row]; }

private:
    void load_scores();
    void save_scores();
    void write_check_key();
    void name_entry_click();
    void build_score_lines();

    SDL_Surface* background;
    SDL_Surface* line_images[SCORE_ENTRIES];
    SDL_Surface* name_panel;
    SDL_Surface* letter_images[3];
    Mix_Chunk* hi_score_sound;
    int scores[SCORE_ENTRIES];
    std::string names[SCORE_ENTRIES];
    score_table_seen table_seen; // the score file as this screen loaded it
    std::string letters[3];
    std::string entered_name;
    int letter_index[3];
    std::string alphabet[27];
    bool entry_active;
    bool sound_played;
    SDL_Rect buttons[7];
    char line_texts[SCORE_ENTRIES][LINE_TEXT_SIZE];
    int new_rank;
    int frame_count;
};
