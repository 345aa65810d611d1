// Pictures, text, sounds and the drawn cursor.
#include "media/media.h"

#include "app/log.h"
#include "media/input.h"

#include <SDL_image.h>
#include <algorithm>
#include <cstring>

SDL_Surface* screen = nullptr;
TTF_Font* font = nullptr;
SDL_Surface* cursor = nullptr;
SDL_Color textColor = {255, 255, 255, 0};

const char* const FONT_PATH = "./data/SF Old Republic Bold Italic.ttf";
const char* const CURSOR_PATH = "./data/mouse.png";

SDL_Surface* load_image(std::string filename)
{
    SDL_Surface* loaded = IMG_Load(filename.c_str());
    if (loaded == nullptr)
        return nullptr;
    SDL_Surface* optimized = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (optimized != nullptr) {
        const Uint32 key = SDL_MapRGB(optimized->format, 0, 255, 255);
        SDL_SetColorKey(optimized, SDL_SRCCOLORKEY | SDL_RLEACCEL, key);
    }
    return optimized;
}

SDL_Surface* cut_picture(SDL_Surface* sheet, SDL_Rect clip)
{
    if (sheet == nullptr || clip.x < 0 || clip.y < 0 || clip.x >= sheet->w || clip.y >= sheet->h)
        return nullptr;
    const int w = std::min<int>(clip.w, sheet->w - clip.x);
    const int h = std::min<int>(clip.h, sheet->h - clip.y);
    if (w <= 0 || h <= 0)
        return nullptr;
    const SDL_PixelFormat* f = sheet->format;
    SDL_Surface* part = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, f->BitsPerPixel, f->Rmask,
                                             f->Gmask, f->Bmask, f->Amask);
    if (part == nullptr)
        return nullptr;
    SDL_LockSurface(sheet);
    SDL_LockSurface(part);
    const int bpp = f->BytesPerPixel;
    for (int y = 0; y < h; ++y)
        std::memcpy(static_cast<Uint8*>(part->pixels) + y * part->pitch,
                    static_cast<const Uint8*>(sheet->pixels) + (clip.y + y) * sheet->pitch +
                        clip.x * bpp,
                    static_cast<size_t>(w * bpp));
    SDL_UnlockSurface(part);
    SDL_UnlockSurface(sheet);
    if (sheet->flags & SDL_SRCCOLORKEY)
        SDL_SetColorKey(part,
                        SDL_SRCCOLORKEY |
                            ((sheet->flags & (SDL_RLEACCELOK | SDL_RLEACCEL)) ? SDL_RLEACCEL : 0),
                        f->colorkey);
    return part;
}

void apply_surface(int x, int y, SDL_Surface* source, SDL_Surface* destination, SDL_Rect* clip)
{
    if (source == nullptr || destination == nullptr)
        return;
    SDL_Rect offset;
    offset.x = static_cast<Sint16>(x);
    offset.y = static_cast<Sint16>(y);
    offset.w = 0;
    offset.h = 0;
    SDL_BlitSurface(source, clip, destination, &offset);
}

bool load_files()
{
    write_log("Chargement des fontes et images globales...", LOG_NO_NUMBER);
    font = TTF_OpenFont(FONT_PATH, 25);
    if (font == nullptr) {
        write_log("Erreur de chargement fonte", LOG_NO_NUMBER);
        return false;
    }
    cursor = load_image(CURSOR_PATH);
    if (cursor == nullptr) {
        write_log("Erreur de chargement curseur souris", LOG_NO_NUMBER);
        return false;
    }
    return true;
}

void MouseRender()
{
    SDL_GetMouseState(&mouse_x, &mouse_y);
    apply_surface(mouse_x, mouse_y, cursor, screen, nullptr);
}

Mix_Chunk* load_sound(const char* path)
{
    SDL_RWops* stream = SDL_RWFromFile(path, "rb");
    if (stream == nullptr)
        return nullptr;
    return Mix_LoadWAV_RW(stream, 1);
}

void play_sound(Mix_Chunk* chunk)
{
    if (chunk != nullptr)
        Mix_PlayChannelTimed(-1, chunk, 0, -1);
}

SDL_Surface* render_text(const std::string& text)
{
    if (font == nullptr)
        return nullptr;
    return TTF_RenderText_Blended(font, text.c_str(), textColor);
}
