// The high-score screen: the table of the ten best results and the three-letter name entry.
#include "scores/hi_scores.h"

#include "app/log.h"
#include "game/score.h"
#include "media/input.h"
#include "media/media.h"

#include <cstdio>
#include <cstring>

namespace {

const int LETTER_X[3] = {313, 388, 460};
const int LETTER_Y = 315;
const int PANEL_X = 250;
const int PANEL_Y = 120;
const int ROW_X = 355;
const int ROW_Y = 170;
const int ROW_STEP = 30;
const int OK_BUTTON = 6;

} // namespace

hi_scores::hi_scores()
{
    background = load_image("./data/hi_scores_bg.png");
    name_panel = load_image("./data/nom.png");
    hi_score_sound = load_sound("./data/hi_score.wav");
    if (background == nullptr || name_panel == nullptr || hi_score_sound == nullptr)
        write_log("HI_SCORE: ERREUR LORS DU CHARGEMENT DES FICHIERS", LOG_NO_NUMBER);

    default_scores(names, scores);

    for (SDL_Surface*& image : letter_images)
        image = nullptr;
    for (SDL_Surface*& image : line_images)
        image = nullptr;
    for (char* line : line_texts)
        line[0] = '\0';
    frame_count = 0;

    // Three arrows back, three arrows forward, OK.
    const SDL_Rect rects[7] = {
        {304, 260, 38, 28}, {375, 260, 38, 28}, {450, 260, 38, 28}, {304, 366, 38, 28},
        {375, 366, 38, 28}, {450, 366, 38, 28}, {360, 410, 70, 85},
    };
    for (int i = 0; i < 7; ++i)
        buttons[i] = rects[i];
    alphabet[0] = " ";
    for (int i = 1; i <= 26; ++i)
        alphabet[i] = std::string(1, static_cast<char>('A' + i - 1));

    entered_name.clear();
    for (int i = 0; i < 3; ++i) {
        letter_index[i] = 1;
        letters[i] = alphabet[letter_index[i]];
        entered_name += letters[i];
    }

    load_scores();

    entry_active = false;
    sound_played = false;
    // The rows are rendered now in both cases, while the screen is being built: after a name
    // entry, OK renders only the rows whose text has changed (the new one), so the frame that
    // saves the table does not also render ten rows of text.
    build_score_lines();
    if (score > scores[SCORE_ENTRIES - 1]) {
        entry_active = true;
        new_rank = SCORE_ENTRIES - 1;
    } else {
        new_rank = -1;
    }
}

hi_scores::~hi_scores()
{
    SDL_FreeSurface(background);
    for (SDL_Surface* image : line_images)
        SDL_FreeSurface(image);
    SDL_FreeSurface(name_panel);
    for (SDL_Surface* image : letter_images)
        SDL_FreeSurface(image);
    if (hi_score_sound != nullptr)
        Mix_FreeChunk(hi_score_sound);
}

void hi_scores::load_scores()
{
    ::load_scores(names, scores, &table_seen);
}

// The result goes into the table as it now lies on disk, which another game may have changed
// since this screen loaded it; the row is -1 when the result no longer makes the table.
void hi_scores::save_scores()
{
    new_rank = record_result(names, scores, table_seen, score, entered_name);
}

void hi_scores::write_check_key()
{
    ::write_check_key();
}

void hi_scores::handle_events()
{
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            set_next_state(STATE_EXIT);
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == KEY_ESCAPE)
                set_next_state(STATE_EXIT);
            else if (entry_active)
                name_entry_click();
            else
                set_next_state(STATE_MENU);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (entry_active)
                name_entry_click();
            else
                set_next_state(STATE_MENU);
            break;
        case SDL_MOUSEMOTION:
            follow_motion();
            break;
        default:
            break;
        }
    }
}

// A click, or a key press, at the pointer: the arrows step their letter through the 27-letter
// alphabet with wrap-around; OK inserts the result below every entry that is greater or equal
// (so an older entry stays above a tie), drops the old tenth, saves and shows the table.
void hi_scores::name_entry_click()
{
    for (int button = 0; button < 6; ++button) {
        if (!check_in_rect(mouse_x, mouse_y, buttons[button]))
            continue;
        const int position = button % 3;
        if (button < 3)
            letter_index[position] = letter_index[position] == 0 ? 26 : letter_index[position] - 1;
        else
            letter_index[position] = letter_index[position] == 26 ? 0 : letter_index[position] + 1;
    }
    entered_name.clear();
    for (int i = 0; i < 3; ++i) {
        letters[i] = alphabet[letter_index[i]];
        entered_name += letters[i];
    }

    if (!check_in_rect(mouse_x, mouse_y, buttons[OK_BUTTON]))
        return;
    entry_active = false;
    save_scores();
    build_score_lines();
    score = 0;
}

// Rows whose text is unchanged keep the image already rendered from that text (a row moved
// down by an insertion among them); the others are rendered, and images left over are freed.
void hi_scores::build_score_lines()
{
    char old_texts[SCORE_ENTRIES][LINE_TEXT_SIZE];
    SDL_Surface* old_images[SCORE_ENTRIES];
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        std::memcpy(old_texts[i], line_texts[i], LINE_TEXT_SIZE);
        old_images[i] = line_images[i];
        format_score_line(scores[i], names[i], line_texts[i]);
    }
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        line_images[i] = nullptr;
        for (int j = 0; j < SCORE_ENTRIES && line_images[i] == nullptr; ++j)
            if (old_images[j] != nullptr && std::strcmp(old_texts[j], line_texts[i]) == 0) {
                line_images[i] = old_images[j];
                old_images[j] = nullptr;
            }
        if (line_images[i] == nullptr)
            line_images[i] = render_text(line_texts[i]);
    }
    for (SDL_Surface* image : old_images)
        SDL_FreeSurface(image);
}

void hi_scores::format_score_line(int points, std::string name, char* line)
{
    std::snprintf(line, LINE_TEXT_SIZE, "%.4s    %d", name.c_str(), points);
}

void hi_scores::logic()
{
    ++frame_count;
    if (frame_count > 10000)
        frame_count = 0;
}

void hi_scores::render()
{
    apply_surface(0, 0, background, screen, nullptr);
    if (entry_active) {
        if (!sound_played) {
            sound_played = true;
            play_sound(hi_score_sound);
        }
        apply_surface(PANEL_X, PANEL_Y, name_panel, screen, nullptr);
        for (int i = 0; i < 3; ++i) {
            SDL_FreeSurface(letter_images[i]);
            letter_images[i] = render_text(letters[i]);
            apply_surface(LETTER_X[i], LETTER_Y, letter_images[i], screen, nullptr);
        }
    } else {
        for (int i = 0; i < SCORE_ENTRIES; ++i) {
            if (i == new_rank && frame_count % 5 == 0)
                continue;
            apply_surface(ROW_X, ROW_Y + ROW_STEP * i, line_images[i], screen, nullptr);
        }
    }
    MouseRender();
}
