// Work of each frame pass over a scripted session (intro, menu, games with selections and moves,
// the game over, the name entry, the table), each pass followed by a bare pass that blits one
// full-window picture and flips: the floor, timed under the same conditions. Dummy drivers.
#include "app/app.h"
#include "app/states.h"
#include "game/jeu.h"
#include "media/media.h"
#include "scores/hi_scores.h"
#include "session_driver.h"
#include "support/test_env.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

// CPU time of this thread: the work of the pass, without the time other processes take the
// core away (the machine is shared).
double thread_ms()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The screen that drew the frame.
std::string screen_name()
{
    switch (stateID) {
    case STATE_INTRO:
        return "intro";
    case STATE_AIDE:
        return "help";
    case STATE_MENU:
        return "menu";
    case STATE_JEU:
        return static_cast<jeu*>(currentState)->regles().game_over ? "game over" : "game";
    case STATE_HI_SCORES:
        return static_cast<hi_scores*>(currentState)->entering_name() ? "name entry" : "table";
    default:
        return "other";
    }
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(q * (v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

struct samples
{
    std::vector<double> game, floor;
};

} // namespace

int main()
{
    app_harness app;
    if (app.start() != 0) {
        std::fprintf(stderr, "frame_bench: start-up failed\n");
        return 1;
    }
    SDL_Surface* picture = load_image("./data/intro_bg.png");
    if (picture == nullptr || picture->w != SCREEN_WIDTH || picture->h != SCREEN_HEIGHT) {
        std::fprintf(stderr, "frame_bench: no full-window picture\n");
        return 1;
    }
    std::map<std::string, samples> by_screen;
    std::vector<std::string> order;
    long frames = 0;
    auto timed_frame = [&] {
        const int before = stateID;
        const double t0 = thread_ms();
        run_frame();
        const double t1 = thread_ms();
        apply_surface(0, 0, picture, screen, nullptr);
        SDL_Flip(screen);
        const double t2 = thread_ms();
        // A pass that built a new screen loads its pictures and sounds: counted apart.
        const std::string name = stateID != before ? "screen change" : screen_name();
        if (by_screen.find(name) == by_screen.end())
            order.push_back(name);
        by_screen[name].game.push_back(t1 - t0);
        by_screen[name].floor.push_back(t2 - t1);
        ++frames;
    };

    session_driver player(app, timed_frame, 7);
    player.intro_to_menu(150, 150, 150);
    int entries = 0;
    for (int game = 0; game < 3; ++game) {
        const int points = player.play_game(150);
        if (points < 0) {
            std::fprintf(stderr, "frame_bench: game %d did not end\n", game + 1);
            return 1;
        }
        entries += static_cast<hi_scores*>(currentState)->entering_name();
        player.scores_to_menu(20, 150);
    }
    SDL_FreeSurface(picture);
    app.stop();

    // One row per screen and statistic: the screen's frames against the bare passes that
    // followed them.
    std::printf("# frames %ld, name entries %d\n", frames, entries);
    struct stat_def
    {
        const char* label;
        double q, goal;
    };
    const stat_def stats[] = {{"median", 0.5, 2}, {"p99", 0.99, 5}, {"max", 1.0, 10}};
    for (const std::string& name : order) {
        const samples& s = by_screen[name];
        for (const stat_def& st : stats) {
            const double g = percentile(s.game, st.q), f = percentile(s.floor, st.q);
            const double ratio = g / f;
            if (name == "screen change")
                std::printf("Frame %s %s (%zu frames)\t%.3f ms\t%.3f ms\t%.2fx\t-\tinfo\n",
                            name.c_str(), st.label, s.game.size(), g, f, ratio);
            else
                std::printf("Frame %s %s (%zu frames)\t%.3f ms\t%.3f ms\t%.2fx\t<= %gx\t%s\n",
                            name.c_str(), st.label, s.game.size(), g, f, ratio, st.goal,
                            ratio <= st.goal ? "yes" : "NO");
        }
    }
    return 0;
}
