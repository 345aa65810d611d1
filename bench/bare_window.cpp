// The floor for whole-process figures: starts the libraries and opens the window exactly as the
// game does, loads one full-window picture the way the game loads its pictures, then blits it
// and flips every 33 ms until a key, a click or a window close (or BARE_FRAMES frames, after
// which it prints its peak resident memory, the VmHWM line of /proc/self/status).
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_EVERYTHING) == -1 || TTF_Init() == -1 ||
        Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) == -1)
        return 1;
    SDL_Surface* screen = SDL_SetVideoMode(800, 600, 32, SDL_HWACCEL);
    if (screen == nullptr)
        return 1;
    SDL_WM_SetCaption("Brimzo floor", nullptr);
    SDL_Surface* loaded = IMG_Load("./data/intro_bg.png");
    if (loaded == nullptr)
        return 1;
    SDL_Surface* picture = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                    SDL_MapRGB(picture->format, 0, 255, 255));

    const char* limit = std::getenv("BARE_FRAMES");
    const long frames = limit != nullptr ? std::atol(limit) : -1;
    bool running = true;
    for (long n = 0; running && n != frames; ++n) {
        const Uint32 start = SDL_GetTicks();
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT || event.type == SDL_KEYDOWN ||
                event.type == SDL_MOUSEBUTTONDOWN)
                running = false;
        SDL_BlitSurface(picture, nullptr, screen, nullptr);
        if (SDL_Flip(screen) == -1)
            return 1;
        const Uint32 elapsed = SDL_GetTicks() - start;
        if (elapsed < 33)
            SDL_Delay(33 - elapsed);
    }
    SDL_FreeSurface(picture);
    Mix_CloseAudio();
    TTF_Quit();
    SDL_Quit();
    if (frames >= 0) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, 6, "VmHWM:") == 0)
                std::printf("%s\n", line.c_str());
    }
    return 0;
}
