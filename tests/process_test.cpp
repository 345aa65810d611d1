// The game as a process: its exit status and the exact log of a normal quit and of each
// start-up failure.
#include "support/process.h"
#include "support/test_env.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

const std::string started = "D\xe9marrage du programme\n";
const std::string sdl_failed = "Echec de l'initialisation de la SDL\n";

TEST(Process, SigtermOnTheIntroIsANormalQuit)
{
    const process_result r =
        run_game([](const std::string& dir) { write_file(dir + "/brimzo.log", "an older run\n"); },
                 {}, "construction classe intro...\n");
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log, started + "Chargement des fontes et images globales...\n"
                               "construction classe intro...\n"
                               "Lib\xe9ration des ressources globales(fontes, images)...\n");
}

TEST(Process, StartUpFailuresEndWithStatusOne)
{
    const struct
    {
        const char* name;
        std::vector<std::string> env;
        const char* remove; // files to delete, separated by |
        std::string log;
    } cases[] = {
        {"video driver cannot start",
         {"SDL_VIDEODRIVER=no_such_driver"},
         nullptr,
         started + "ERREUR : SDL_INIT\n" + sdl_failed},
        {"audio cannot open",
         {"SDL_AUDIODRIVER=no_such_driver"},
         nullptr,
         started + "ERREUR : SDL_MIXER\n" + sdl_failed},
        {"sprite sheet missing", {}, "data/pions.png", started + "Un fichier corrompu: 11\n"},
        {"font missing",
         {},
         "data/SF Old Republic Bold Italic.ttf",
         started + "Un fichier corrompu: 1\n"},
        {"cursor missing", {}, "data/mouse.png", started + "Un fichier corrompu: 2\n"},
    };
    for (const auto& c : cases) {
        const char* remove = c.remove;
        const process_result r = run_game(
            [remove](const std::string& dir) {
                if (remove != nullptr)
                    std::remove((dir + "/" + remove).c_str());
            },
            c.env, "");
        EXPECT_FALSE(r.timed_out) << c.name;
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.log, c.log) << c.name;
    }
}

} // namespace
