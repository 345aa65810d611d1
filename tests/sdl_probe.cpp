// Prints the SDL 1.2 runtime this process loaded: the version SDL_Linked_Version reports, and
// the file of libSDL-1.2 it mapped, resolved to its real path, so that two library paths that
// lead to one file are seen as one runtime. test.sh runs it to choose its passes.
#include <SDL.h>
#include <cstdio>
#include <fstream>
#include <limits.h>
#include <stdlib.h>
#include <string>

int main(int, char**)
{
    const SDL_version* linked = SDL_Linked_Version();
    std::ifstream maps("/proc/self/maps");
    std::string line, file;
    while (std::getline(maps, line)) {
        const std::string::size_type slash = line.find('/');
        if (slash != std::string::npos && line.find("libSDL-1.2", slash) != std::string::npos) {
            file = line.substr(slash);
            break;
        }
    }
    char real[PATH_MAX];
    if (linked == nullptr || file.empty() || realpath(file.c_str(), real) == nullptr)
        return 1;
    std::printf("%d.%d.%d %s\n", linked->major, linked->minor, linked->patch, real);
    return 0;
}
