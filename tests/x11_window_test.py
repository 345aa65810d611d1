"""A whole turn in a real X window, read from the screen: the built game on $DISPLAY, played as a
player would with xdotool, each screen checked against our pictures in data/.

    /usr/bin/python3 tests/x11_window_test.py BINARY SOURCE_DIR WORK_DIR

The intro and the help are clicked through; each menu item is hovered and must be the picture
drawn; a game starts with four pieces of the preview's colours; a piece is moved to a free cell
it can reach, and must arrive there while four new pieces of the previewed colours appear
(no run of five can be completed with five pieces on the board); Escape ends the program with
status 0 and a complete log. BRIMZO_EXPECT_SDL (classic or compat) names the SDL 1.2 runtime
the game must have loaded. A BINARY ending in .exe is the Windows game, run under Wine: the same
checks, but for the SDL runtime, which is read from a Linux process's /proc."""

import collections
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from game_window import (CELLS, Failure, Pictures, Window, cell_centre, check, neighbours,  # noqa: E402
                         reachable, sdl_libraries, sdl_runtime, settled_board, shown_picture)

MENU = [  # item, its hover rectangle (x, y, w, h), the picture drawn while it is highlighted
    (1, (276, 69, 248, 63), "menu_jouer.png"),
    (2, (276, 202, 248, 63), "menu_aide.png"),
    (3, (276, 335, 248, 63), "menu_scores.png"),
    (4, (276, 468, 248, 63), "menu_quitter.png"),
]
MENU_PICTURES = [name for _, _, name in MENU]
FULL_WINDOW = MENU_PICTURES + ["intro_bg.png", "aide_bg.png"]


def expect_picture(w, pictures, name, what):
    """The window shows `name`, pixel for pixel apart from the cursor, and no other picture."""
    shot = w.grab()
    shown, mean, largest = shown_picture(shot, pictures, FULL_WINDOW, w.pointer)
    check(shown == name and largest <= 8,
          "%s: expected %s, the window shows %s (mean difference %.2f, largest %d)"
          % (what, name, shown, mean, largest))
    print("%s: %s (largest difference %d)" % (what, name, largest))


def loaded_runtime(pid):
    runtime = sdl_runtime(pid)
    check(runtime, "the game has no SDL 1.2 mapped")
    return runtime


def play(w, pictures, near, wine=False):
    check(w.size == (800, 600), "window is %dx%d, not 800x600" % w.size)
    print("window at %d,%d, %d restarted start(s)" % (w.x, w.y, w.retried))
    if not wine:  # the SDL library mapped is read from /proc: a Linux process only
        expected = os.environ.get("BRIMZO_EXPECT_SDL")
        runtime = loaded_runtime(w.game.pid)
        check(expected in (None, runtime), "the game runs on the %s runtime, not %s" % (runtime, expected))
        print("runtime:", runtime, " ".join(sdl_libraries(w.game.pid)))

    w.wait_log("construction classe intro")
    w.move(400, 560)
    expect_picture(w, pictures, "intro_bg.png", "intro")
    w.click(400, 300)
    w.wait_log("construction classe aide")
    expect_picture(w, pictures, "aide_bg.png", "help")
    w.move(100, 100)
    w.key("space")
    w.wait_log("construction classe menu")

    for item, (x, y, width, height), name in MENU:
        w.move(x + width // 2, y + height // 2, wait=0.3)
        expect_picture(w, pictures, name, "menu item %d hovered" % item)
    x, y, width, height = MENU[0][1]
    w.move(x + 10, y + 10)  # back on "play", which a click anywhere then starts
    w.click(780, 20)
    w.wait_log("construction classe jeu")
    w.away()

    cells, preview = settled_board(w, pictures, lambda c, p: sum(v >= 0 for v in c) == 4)
    pieces = {i: c for i, c in enumerate(cells) if c >= 0}
    print("dealt:", pieces, "preview:", preview)
    free = {i for i in range(CELLS) if cells[i] < 0}
    moves = [(p, t) for p in sorted(pieces) for t in sorted(reachable(p, free, near))]
    check(moves, "no piece can move")
    # A target that is no neighbour of the piece makes a move of several steps.
    far = [(p, t) for p, t in moves if t not in near[p]]
    piece, target = random.Random(len(moves)).choice(far or moves)
    print("moving the piece on cell %d to cell %d" % (piece, target))
    w.click(*cell_centre(piece), wait=0.3)
    w.click(*cell_centre(target), wait=0.2)
    w.away()

    after = {i: c for i, c in pieces.items() if i != piece}
    after[target] = pieces[piece]

    # The cell the piece left is free again when the new pieces are dealt, so one of them may
    # land there: it is then one of the new pieces, checked with the others against the preview.
    def turn_done(c, p):
        return (sum(v >= 0 for v in c) == 8
                and all(c[i] == colour for i, colour in after.items()))

    cells2, preview2 = settled_board(w, pictures, turn_done, timeout=10.0)
    new = [cells2[i] for i in range(CELLS) if cells2[i] >= 0 and i not in after]
    check(collections.Counter(new) == collections.Counter(preview),
          "new pieces %s are not the previewed colours %s" % (sorted(new), sorted(preview)))
    print("arrived on %d; new pieces %s; next preview %s" % (target, sorted(new), preview2))

    w.key("Escape", wait=0)
    status = w.wait_exit()
    check(status == 0, "exit status %d" % status)
    log = w.log().decode("latin-1").splitlines()
    order = ["construction classe intro", "construction classe aide", "construction classe menu",
             "construction classe jeu"]
    found = [next((n for n, line in enumerate(log) if text in line), -1) for text in order]
    check(-1 not in found and found == sorted(found), "the log lacks the screens in order: %r" % log)
    check(log and "ressources globales" in log[-1], "the log does not end with the shutdown: %r" % log[-3:])
    print("exit status 0; log ends: %s" % log[-1])


def main():
    binary, source, work = sys.argv[1:4]
    data = os.path.join(source, "data")
    # A Windows build (BINARY ends in .exe) runs under Wine, on SDL's windib driver, in the Wine
    # prefix the caller set; the window is its client area, whatever frame Wine draws.
    wine = binary.endswith(".exe")
    command = ["wine", "Z:" + binary.replace("/", "\\")] if wine else [binary]
    w = Window(os.environ["DISPLAY"], command, os.path.join(work, "brimzo.log"), cwd=work,
               client_area=wine)
    try:
        play(w, Pictures(data), neighbours(data), wine)
    except Failure as e:
        print("FAIL:", e)
        try:
            shot = os.path.join(work, "failure.png")
            w.grab().save(shot)
            print("the window at the failure:", shot)
        except Failure:
            pass
        return 1
    finally:
        w.close()
    print("x11 window test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
