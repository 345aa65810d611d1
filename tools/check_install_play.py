#!/usr/bin/python3
"""One start of the installed game, as a player would make it, for tools/check_install.sh.

    /usr/bin/python3 check_install_play.py play|scores SHOT_DIR [classic|compat]

The last argument is the SDL 1.2 runtime the game must run on, told by what the library is
(tests/support/game_window.py, sdl_runtime): the compatibility layer runs over SDL 2.

Run inside the test chroot as the normal user, from a login shell (su -): the command is the
Exec line of the installed desktop entry, found on the login PATH, with the player's own
environment; SDL_AUDIODRIVER is passed through as the caller set it or left unset, so the
launcher's fall-back to silent play is what runs where the chroot has no sound card. The
script starts its own Xvfb, clicks through the intro and the help, then either plays one move
("play") or opens the high-score table from the menu ("scores"), and quits with Escape. Each
screen is saved as a PNG in SHOT_DIR to be looked at. It prints what it saw, one fact a line,
and ends with "RESULT ok" or "RESULT fail: why". Needs xvfb, xdotool and python3-pil, and
game_window.py from tests/support beside it.
"""

import glob
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from game_window import (CELLS, Failure, Pictures, Window, cell_centre, check,  # noqa: E402
                         neighbours, reachable, sdl_libraries, sdl_runtime, settled_board)

DATA = "/usr/share/games/brimzo/data"  # the installed assets, where the pictures are read
GAME = "/usr/libexec/brimzo/brimzo"
PLAYER_DIR = os.path.join(os.environ.get("XDG_DATA_HOME") or os.path.expanduser("~/.local/share"),
                          "brimzo")


def free_display():
    """A display number that no X server uses, in this chroot or outside it: the chroot has its
    own /tmp, but the abstract sockets (listed in /proc/net/unix, which is the host's) are
    shared, and a client would reach another session's server through them."""
    with open("/proc/net/unix") as f:
        used = f.read()
    for n in range(150, 200):
        if ("/tmp/.X11-unix/X%d\n" % n) not in used and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    raise Failure("no free X display")


DISPLAY = free_display()


def desktop_command():
    """The Exec line of the installed desktop entry, split into words (no field codes)."""
    entries = glob.glob("/usr/share/applications/*brimzo*.desktop")
    check(len(entries) == 1, "desktop entries found: %r" % entries)
    with open(entries[0]) as f:
        execs = [line.split("=", 1)[1].split() for line in f if line.startswith("Exec=")]
    check(execs and execs[0], "no Exec line in %s" % entries[0])
    words = [w for w in execs[0] if not w.startswith("%")]
    path = shutil.which(words[0])
    check(path, "%s is not on the login PATH %s" % (words[0], os.environ.get("PATH")))
    print("desktop entry: %s, Exec=%s -> %s" % (entries[0], " ".join(execs[0]), path))
    return [path] + words[1:]


def start(command, env):
    """The game's window, started by the launcher, whose own messages are kept in w.stderr.
    The launcher may start the game twice (without sound), so the window may take longer."""
    err = open("/tmp/launcher-%d.err" % os.getpid(), "w+")
    w = Window(DISPLAY, command, os.path.join(PLAYER_DIR, "brimzo.log"), env=env, stderr=err, timeout=20)
    w.stderr = err
    return w


def run(mode, shots, expect_sdl):
    os.makedirs(shots, exist_ok=True)
    env = dict(os.environ, DISPLAY=DISPLAY, SDL_VIDEODRIVER="x11")
    print("SDL_AUDIODRIVER:", env.get("SDL_AUDIODRIVER", "(unset)"))
    command = desktop_command()
    w = start(command, env)
    try:
        exe, libs = os.readlink("/proc/%d/exe" % w.game.pid), sdl_libraries(w.game.pid)
        print("process %d runs %s with %s (%d refused start(s))" % (w.game.pid, exe, " ".join(libs), w.retried))
        check(exe == GAME, "the window belongs to %s, not %s" % (exe, GAME))
        check(libs, "no SDL 1.2 library mapped")
        runtime = sdl_runtime(w.game.pid)
        print("SDL 1.2 runtime: %s" % runtime)
        if expect_sdl:
            check(runtime == expect_sdl, "expected the %s SDL 1.2, the game runs on %s" % (expect_sdl, runtime))
        check(w.size == (800, 600), "window is %dx%d" % w.size)

        w.wait_log("construction classe intro")
        w.move(400, 560)
        w.grab().save(os.path.join(shots, "1-intro.png"))
        w.click(400, 300)
        w.wait_log("construction classe aide")
        w.grab().save(os.path.join(shots, "2-help.png"))
        w.key("space")
        w.wait_log("construction classe menu")
        w.move(400, 100)
        w.grab().save(os.path.join(shots, "3-menu.png"))

        if mode == "play":
            w.click(400, 100)
            w.wait_log("construction classe jeu")
            w.away()
            pictures, near = Pictures(DATA), neighbours(DATA)
            cells, preview = settled_board(w, pictures, lambda c, p: sum(v >= 0 for v in c) == 4, timeout=10)
            w.grab().save(os.path.join(shots, "4-board.png"))
            free = {i for i in range(CELLS) if cells[i] < 0}
            piece = next(i for i in range(CELLS) if cells[i] >= 0)
            target = max(reachable(piece, free, near))
            print("board: pieces on %s, preview %s; moving %d -> %d"
                  % ([i for i in range(CELLS) if cells[i] >= 0], preview, piece, target))
            w.click(*cell_centre(piece))
            w.click(*cell_centre(target), wait=0.2)
            w.away()
            # The piece on its target, the other three where they were, and four new pieces of
            # the previewed colours anywhere else: the cell just left is free, so one may land there.
            after = {i: c for i, c in enumerate(cells) if c >= 0 and i != piece}
            after[target] = cells[piece]

            def turn_done(c, p):
                new = sorted(v for i, v in enumerate(c) if v >= 0 and i not in after)
                return all(c[i] == v for i, v in after.items()) and new == sorted(preview)

            settled_board(w, pictures, turn_done, timeout=10)
            w.grab().save(os.path.join(shots, "5-after-move.png"))
            print("move played: piece arrived on %d, 4 new pieces dealt" % target)
        else:
            w.click(400, 366)
            time.sleep(1.0)
            w.grab().save(os.path.join(shots, "4-scores.png"))
            table = os.path.join(PLAYER_DIR, "data", "scores.txt")
            check(os.path.isfile(table) and not os.path.islink(table), "no score file %s" % table)
            print("score file: %s (%d bytes), key: %s" % (table, os.path.getsize(table),
                  os.path.isfile(os.path.join(PLAYER_DIR, "data", "scores.cle"))))

        w.key("Escape", wait=0)
        status = w.wait_exit(timeout=10)
        print("exit status:", status)
        check(status == 0, "exit status %d" % status)
        with open(w.log_path, "rb") as f:
            last = f.read().decode("latin-1").splitlines()[-1:]
        print("log %s ends: %s" % (w.log_path, last))
    finally:
        w.close()
        w.stderr.seek(0)
        print("launcher said:", w.stderr.read().strip() or "(nothing)")


def main():
    mode, shots = sys.argv[1], sys.argv[2]
    expect_sdl = sys.argv[3] if len(sys.argv) > 3 else None
    xvfb = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                            stderr=subprocess.DEVNULL)
    try:
        # -noreset: the game opens the display twice, and a reset between the two fails it.
        for _ in range(50):  # until the server takes connections
            if subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=DISPLAY),
                              capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        run(mode, shots, expect_sdl)
    except (Failure, OSError, subprocess.SubprocessError) as e:
        print("RESULT fail:", e)
        return 1
    finally:
        xvfb.terminate()
        xvfb.wait()
    print("RESULT ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
