// The game as a process: its exit status and the exact log of a normal quit and of each
// start-up failure.
#include "support/process.h"
#include "support/test_env.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const std::string started = "D\xe9marrage du programme\n";
const std::string sdl_failed = "Echec de l'initialisation de la SDL\n";

// This test process runs on the compatibility layer over SDL 2 (which reports 1.2.50 and
// above) rather than on the classic SDL 1.2; the game processes it starts run on the same one
// (Process.GameRunsOnThePassRuntime).
bool on_compat_layer()
{
    const SDL_version* v = SDL_Linked_Version();
    return SDL_VERSIONNUM(v->major, v->minor, v->patch) >= SDL_VERSIONNUM(1, 2, 50);
}

std::string base_name(const std::string& file)
{
    return file.substr(file.rfind('/') + 1);
}

// Every game process a test starts runs on the runtime of the test pass: the library path
// that chose it reaches the game. Seen from outside, the compatibility layer is the SDL 1.2
// library that runs over SDL 2 (or SDL 3 under it): its file names the SDL 2 library it loads,
// and that library is mapped. SDL 2 being mapped is not enough by itself: on Debian 12 the
// mixer's MIDI synthesiser links SDL 2 into the game on the classic library as well.
TEST(Process, GameRunsOnThePassRuntime)
{
    const process_result r = run_game(nullptr, {}, "construction classe intro...\n");
    EXPECT_EQ(r.status, 0);
    std::string mapped, sdl12;
    bool sdl2_or_3 = false;
    for (const std::string& file : r.sdl_libraries) {
        mapped += " " + file;
        const std::string name = base_name(file);
        if (name.compare(0, 13, "libSDL-1.2.so") == 0)
            sdl12 = file;
        sdl2_or_3 = sdl2_or_3 || name.compare(0, 14, "libSDL2-2.0.so") == 0 ||
                    name.compare(0, 10, "libSDL3.so") == 0;
    }
    ASSERT_FALSE(sdl12.empty()) << "no SDL 1.2 mapped:" << mapped;
    const std::string library = read_file(sdl12);
    const bool over_sdl2 = library.find("libSDL2-2.0.so") != std::string::npos ||
                           library.find("libSDL3.so") != std::string::npos;
    const char* expected = std::getenv("BRIMZO_EXPECT_SDL");
    const bool compat = expected ? std::string(expected) == "compat" : on_compat_layer();
    EXPECT_EQ(over_sdl2 && sdl2_or_3, compat)
        << "the game should run on the " << (compat ? "compatibility layer" : "classic library")
        << "; it mapped" << mapped;
}

TEST(Process, StartUpFailuresEndWithStatusOne)
{
    const struct
    {
        const char* name;
        std::vector<std::string> env;
        const char* remove; // files to delete, separated by |
        std::string log;
        std::string compat_log; // where the compatibility layer fails at another step
    } cases[] = {
        {"video driver cannot start",
         {"SDL_VIDEODRIVER=no_such_driver"},
         nullptr,
         started + "ERREUR : SDL_INIT\n" + sdl_failed,
         ""},
        // An unknown audio driver: the classic SDL_Init never fails on audio (SDL_OpenAudio,
        // called by the mixer, does), while over SDL 2 SDL_Init starts the audio driver and
        // refuses it. Either way the log names the step that failed.
        {"audio cannot open",
         {"SDL_AUDIODRIVER=no_such_driver"},
         nullptr,
         started + "ERREUR : SDL_MIXER\n" + sdl_failed,
         started + "ERREUR : SDL_INIT\n" + sdl_failed},
        {"sprite sheet missing", {}, "data/pions.png", started + "Un fichier corrompu: 11\n", ""},
        {"font missing",
         {},
         "data/SF Old Republic Bold Italic.ttf",
         started + "Un fichier corrompu: 1\n",
         ""},
        {"cursor missing", {}, "data/mouse.png", started + "Un fichier corrompu: 2\n", ""},
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
        const std::string& log = on_compat_layer() && !c.compat_log.empty() ? c.compat_log : c.log;
        EXPECT_EQ(r.log, log) << c.name;
    }
}

} // namespace
