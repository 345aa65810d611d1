// Preloaded into a program to time its start-up: at the first SDL_Flip, lets the flip happen,
// writes CLOCK_MONOTONIC (ns) to the file named by FLIP_TIME_FILE, and ends the process.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

extern "C" int SDL_Flip(SDL_Surface* surface)
{
    using flip_fn = int (*)(SDL_Surface*);
    static flip_fn real = reinterpret_cast<flip_fn>(dlsym(RTLD_NEXT, "SDL_Flip"));
    const int result = real(surface);
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    if (const char* path = std::getenv("FLIP_TIME_FILE")) {
        if (FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "%lld %d\n",
                         static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec, result);
            std::fclose(out);
        }
    }
    _exit(0);
}
