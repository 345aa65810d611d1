// Plays the game's part for the launcher's test: each start appends "<SDL_AUDIODRIVER>" (or
// "<unset>") to runs.txt in its working folder and writes brimzo.log there, in text mode like
// the game. The folder's files choose the outcome:
//   no_sound   without SDL_AUDIODRIVER=dummy, logs "ERREUR : SDL_MIXER" and exits with 1;
//   status     exits with the number it holds, logging "ERREUR : SDL_INIT".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main()
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    {
        std::ofstream runs("runs.txt", std::ios::app);
        runs << (driver != nullptr ? driver : "<unset>") << "\n";
    }
    std::ofstream log("brimzo.log");
    log << "D\xe9marrage du programme\n";
    if (std::ifstream("status")) {
        int status = 0;
        std::ifstream("status") >> status;
        log << "ERREUR : SDL_INIT\n";
        return status;
    }
    if (std::ifstream("no_sound") && (driver == nullptr || std::strcmp(driver, "dummy") != 0)) {
        log << "ERREUR : SDL_MIXER\n";
        return 1;
    }
    return 0;
}
