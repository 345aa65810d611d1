// Plays the game through its real screens, frame by frame: the intro and help, the menu, whole
// games played by a simple greedy player, the game over, the name entry and the table.
#pragma once

#include "support/test_env.h"

#include <functional>
#include <random>

class session_driver
{
public:
    // `frame` runs one pass of the frame loop (the caller may time it); events are posted
    // through `app` before it.
    session_driver(app_harness& app, std::function<void()> frame, unsigned seed);

    // From the intro on screen: `intro_frames` frames there, a click to the help screen and
    // `help_frames` frames there, a key to the menu and `menu_frames` frames there.
    void intro_to_menu(int intro_frames, int help_frames, int menu_frames);

    // From the menu: starts a game and plays it to its end, stays `churn_frames` frames on the
    // finished board, and clicks on to the high-score screen. Returns the game's points, or -1
    // when the game did not end within its frame budget.
    int play_game(int churn_frames);

    // On the high-score screen: enters a name (letters stepped with `entry_gap` frames between
    // clicks) when the game qualified, shows the table for `table_frames` frames, and clicks
    // back to the menu.
    void scores_to_menu(int entry_gap, int table_frames);

private:
    void step(int n = 1);
    void click_at(int x, int y);
    bool play_one_move();

    app_harness& app;
    std::function<void()> frame;
    std::mt19937 gen;
    int games = 0;
};
