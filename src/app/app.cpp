// Start-up, the frame loop and shutdown.
#include "app/app.h"

#include "app/log.h"
#include "app/states.h"
#include "integrity/secure.h"
#include "media/input.h"
#include "media/media.h"
#include "screens/intro.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>

bool init()
{
    if (SDL_Init(SDL_INIT_EVERYTHING) == -1) {
        write_log("ERREUR : SDL_INIT", LOG_NO_NUMBER);
        return false;
    }
    if (TTF_Init() == -1) {
        write_log("ERREUR : SDL_TTF", LOG_NO_NUMBER);
        return false;
    }
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) == -1) {
        write_log("ERREUR : SDL_MIXER", LOG_NO_NUMBER);
        return false;
    }
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_HWACCEL);
    if (screen == nullptr) {
        write_log("ERREUR : SDL_SET_VIDEO_MODE", LOG_NO_NUMBER);
        return false;
    }
    SDL_WM_SetCaption("Brimzo", nullptr);
    return true;
}

// What start-up opens, released; each call is harmless on what was never opened.
static void release_start_up()
{
    SDL_FreeSurface(cursor);
    cursor = nullptr;
    TTF_CloseFont(font);
    font = nullptr;
    TTF_Quit();
    Mix_CloseAudio();
    SDL_Quit();
    screen = nullptr;
}

void clean_up()
{
    write_log("Lib\xe9ration des ressources globales(fontes, images)...", LOG_NO_NUMBER);
    delete currentState;
    currentState = nullptr;
    release_start_up();
}

// After a failed start-up step, what start-up had opened is released again before the process
// ends, quietly: clean_up would log a line of its own. Left open, the sound output's thread
// (SDL 2's, under the compatibility layer) goes on calling the mixer while the process exits,
// and now and then crashes it.
static int failed_start_up()
{
    release_start_up();
    return 1;
}

int start_up()
{
    write_log("D\xe9marrage du programme", LOG_NO_NUMBER);
    if (!init()) {
        write_log("Echec de l'initialisation de la SDL", LOG_NO_NUMBER);
        return failed_start_up();
    }
    int failed_entry = -1;
    if (secure_fichiers(&failed_entry)) {
        write_log("Un fichier corrompu: ", failed_entry);
        return failed_start_up();
    }
    if (!load_files()) {
        write_log("Echec du chargement des fichiers", LOG_NO_NUMBER);
        return failed_start_up();
    }
    Init_Mouse_key(screen);
    stateID = STATE_INTRO;
    currentState = new intro();
    return 0;
}

bool run_frame()
{
    if (currentState != nullptr) {
        currentState->handle_events();
        currentState->logic();
    }
    change_state();
    if (currentState != nullptr)
        currentState->render();
    return SDL_Flip(screen) != -1;
}

Uint32 frame_delay(Uint32 elapsed)
{
    return elapsed < FRAME_MS ? FRAME_MS - elapsed : 0;
}

int brimzo_main()
{
    const int status = start_up();
    if (status != 0)
        return status;
    Timer fps;
    while (stateID != STATE_EXIT) {
        fps.start();
        if (!run_frame())
            return 1;
        const Uint32 delay = frame_delay(fps.get_ticks());
        if (delay > 0)
            SDL_Delay(delay);
    }
    clean_up();
    log_file.close();
    return 0;
}
