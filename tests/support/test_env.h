// Test environment shared by every test program: each process runs in a fresh temporary
// directory holding a copy of the shipped data/, with SDL's dummy video and audio drivers.
#pragma once

#include "media/media.h"

#include <SDL.h>
#include <cstdint>
#include <string>

// Directory the process was started in and the repo's source directory.
std::string test_source_dir();
// The fresh working directory of this process (also the current directory).
std::string test_work_dir();

std::string read_file(const std::string& path);
// The file read as text, in the platform's text mode: its line ends read as "\n" (the log is
// written that way: on Windows its lines end in "\r\n").
std::string read_text_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

// The log written so far by this process ("brimzo.log" in the working directory), read as text.
std::string log_text();

// Remembers the log's length; since() returns what was written after.
class LogMark
{
public:
    LogMark();
    std::string since() const;

private:
    size_t length;
};

// A pixel of any surface as 0xRRGGBB.
uint32_t surface_pixel(SDL_Surface* surface, int x, int y);

// Drives the real program frame by frame: start() runs the same start-up as main (intro on
// screen), frame() runs one pass of the loop without its delay, stop() shuts down as main does.
class app_harness
{
public:
    int start();
    void stop();
    bool frame();
    void frames(int n);

    // Events, handled by the next frame().
    void key(int sym); // a key press (and nothing on release)
    void click(Uint8 button = SDL_BUTTON_LEFT);
    void move(int x, int y); // moves the pointer; SDL posts the motion event
    void quit();             // a window close

    // Requests a state and runs the frame that switches to it.
    void go_to(int state);

    // A pixel of the display surface as 0xRRGGBB.
    uint32_t pixel(int x, int y) const { return surface_pixel(screen, x, y); }

    // Sound channels started and still held by the test (audio callbacks are held off by
    // hold_audio so that short effects cannot finish between the frame and the check).
    void hold_audio();
    void release_audio();
    int channels_playing() const;
    int channels_playing(const std::string& wav_path) const;

private:
    bool audio_held = false;
};

// Writes a 24-bit BMP picture (which the picture loader reads like a PNG) of w x h pixels,
// pixel (x, y) = fill(x, y) as 0xRRGGBB. Needs SDL's video to be up.
void write_bmp(const std::string& path, int w, int h, uint32_t (*fill)(int x, int y));
