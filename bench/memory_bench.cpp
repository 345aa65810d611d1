// Peak resident memory over ten whole games in a row, each through the high-score screen and
// back to the menu (dummy drivers), against the bare window program's peak (the VmHWM it
// prints after a few seconds, in kB).
//   memory_bench BARE_PEAK_KB
#include "app/states.h"
#include "session_driver.h"
#include "support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in kB.
long status_kb(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, field.size(), field) == 0)
            return std::atol(line.c_str() + field.size());
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: memory_bench BARE_PEAK_KB\n");
        return 2;
    }
    app_harness app;
    if (app.start() != 0)
        return 1;
    long frames = 0;
    session_driver player(
        app, [&] { app.frame(), ++frames; }, 11);
    player.intro_to_menu(10, 10, 10);
    long rss1 = 0, hwm1 = 0;
    int entries = 0;
    for (int game = 1; game <= 10; ++game) {
        if (player.play_game(40) < 0) {
            std::fprintf(stderr, "memory_bench: game %d did not end\n", game);
            return 1;
        }
        entries += stateID == STATE_HI_SCORES;
        player.scores_to_menu(3, 20);
        if (stateID != STATE_MENU) {
            std::fprintf(stderr, "memory_bench: game %d did not come back to the menu\n", game);
            return 1;
        }
        if (game == 1) {
            rss1 = status_kb("VmRSS:");
            hwm1 = status_kb("VmHWM:");
        }
    }
    const long rss10 = status_kb("VmRSS:"), hwm10 = status_kb("VmHWM:");
    app.stop();
    const long bare = std::atol(argv[1]);
    std::printf("# memory: 10 games, %ld frames, %d through the scores\n", frames, entries);
    std::printf("Memory peak over 10 games (VmHWM)\t%.1f MB\t%.1f MB\t%.2fx\t<= 32 MB\t%s\n",
                hwm10 / 1024.0, bare / 1024.0, double(hwm10) / bare,
                hwm10 <= 32 * 1024 ? "yes" : "NO");
    std::printf("Memory growth game 1 -> 10 (VmHWM)\t%+.2f MB\t%.1f MB\t-\t< 1 MB\t%s\n",
                (hwm10 - hwm1) / 1024.0, hwm1 / 1024.0, hwm10 - hwm1 < 1024 ? "yes" : "NO");
    std::printf("Memory growth game 1 -> 10 (VmRSS)\t%+.2f MB\t%.1f MB\t-\t< 1 MB\t%s\n",
                (rss10 - rss1) / 1024.0, rss1 / 1024.0, rss10 - rss1 < 1024 ? "yes" : "NO");
    return 0;
}
