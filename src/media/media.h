// Shared media: the display surface, the font, the drawn cursor, and the picture, text and
// sound helpers every screen uses.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <string>

extern SDL_Surface* screen; // 800 x 600, 32 bits per pixel, set by init
extern TTF_Font* font;      // the shared font at 25 points
extern SDL_Surface* cursor; // the cursor picture; its top-left pixel is the hot spot
extern SDL_Color textColor; // white

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;
constexpr int SCREEN_BPP = 32;

extern const char* const FONT_PATH;
extern const char* const CURSOR_PATH;

// Loads a PNG into a new surface in the display format, pure cyan (0, 255, 255) transparent
// with RLE acceleration. Null on any failure; logs nothing.
SDL_Surface* load_image(std::string filename);

// A new surface holding the `clip` part of `sheet` (cut at the sheet's edges), pixel for pixel
// in the sheet's format, with the sheet's colour key and RLE acceleration. Drawn whole, it puts
// down the same pixels as the sheet drawn through that clip rectangle, without the RLE blit
// having to walk the sheet's rows above the clip on every draw. Null when nothing is left.
SDL_Surface* cut_picture(SDL_Surface* sheet, SDL_Rect clip);

// Blits source (or its clip rectangle) with its top-left corner at (x, y) of destination.
// A null source draws nothing.
void apply_surface(int x, int y, SDL_Surface* source, SDL_Surface* destination, SDL_Rect* clip);

// Opens the shared font and loads the cursor; false (after a log line) when either fails.
bool load_files();

// Reads the pointer position into mouse_x, mouse_y and draws the cursor there.
void MouseRender();

// Sound effects: loaded from a file opened "rb" and handed to the mixer, played once on the
// first free channel. Null chunks are neither loaded nor played.
Mix_Chunk* load_sound(const char* path);
void play_sound(Mix_Chunk* chunk);

// The shared font in the shared colour, blended; the caller owns the surface (null on failure).
SDL_Surface* render_text(const std::string& text);
