// The frame-by-frame harness of the real program, and pixels of surfaces.
#include "support/test_env.h"

#include "app/app.h"
#include "app/states.h"
#include "media/media.h"

#include <SDL_mixer.h>
#include <cstring>

int app_harness::start()
{
    return start_up();
}

void app_harness::stop()
{
    release_audio();
    clean_up();
}

bool app_harness::frame()
{
    return run_frame();
}

void app_harness::frames(int n)
{
    for (int i = 0; i < n; ++i)
        run_frame();
}

void app_harness::key(int sym)
{
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    SDL_PushEvent(&e);
}

void app_harness::click(Uint8 button)
{
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    e.button.state = SDL_PRESSED;
    SDL_PushEvent(&e);
}

void app_harness::move(int x, int y)
{
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void app_harness::quit()
{
    SDL_Event e = {};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void app_harness::go_to(int state)
{
    set_next_state(state);
    change_state();
    run_frame();
}

uint32_t surface_pixel(SDL_Surface* surface, int x, int y)
{
    SDL_LockSurface(surface);
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 value = 0;
    memcpy(&value, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

void app_harness::hold_audio()
{
    if (!audio_held) {
        SDL_LockAudio();
        audio_held = true;
    }
}

void app_harness::release_audio()
{
    if (audio_held) {
        Mix_HaltChannel(-1);
        SDL_UnlockAudio();
        audio_held = false;
    }
}

int app_harness::channels_playing() const
{
    return Mix_Playing(-1);
}

int app_harness::channels_playing(const std::string& wav_path) const
{
    Mix_Chunk* reference = Mix_LoadWAV(wav_path.c_str());
    if (reference == nullptr)
        return -1;
    int count = 0;
    const int channels = Mix_AllocateChannels(-1);
    for (int ch = 0; ch < channels; ++ch) {
        Mix_Chunk* playing = Mix_Playing(ch) ? Mix_GetChunk(ch) : nullptr;
        if (playing != nullptr && playing->alen == reference->alen)
            ++count;
    }
    Mix_FreeChunk(reference);
    return count;
}

void write_bmp(const std::string& path, int w, int h, uint32_t (*fill)(int x, int y))
{
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    SDL_LockSurface(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = fill(x, y);
            Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 3;
            const Uint32 v = SDL_MapRGB(s->format, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
            memcpy(p, &v, 3);
        }
    SDL_UnlockSurface(s);
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
}
