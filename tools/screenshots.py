#!/usr/bin/python3
"""Takes the README's screenshots into docs/: intro, menu, a game in play, the game over, the
name entry and the table, from the built game in a real window under Xvfb.

Run from anywhere, after building: /usr/bin/python3 tools/screenshots.py [build/brimzo]
Needs Debian's xvfb, xdotool and python3-pil. The game runs in a temporary directory holding a
copy of data/ and a starting high-score table whose last row any finished game beats (random
moves seldom complete a run, so the game ends with few points); the moves are random
to free cells that a piece can reach, read from the window's pixels.
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zlib

from PIL import ImageGrab

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCS = os.path.join(ROOT, "docs")
sys.path.insert(0, os.path.join(ROOT, "tools"))
from gen_images import cell_centre  # noqa: E402  (the board's geometry, shared with the pictures)

TABLE = [("ZOE", 160), ("LEA", 125), ("MAX", 100), ("TOM", 81), ("EVA", 61),
         ("LOU", 50), ("SAM", 36), ("NOA", 25), ("IDA", 25), ("RAY", -1)]


def free_display():
    for n in range(100, 140):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise SystemExit("no free X display")


class Window:
    def __init__(self, display, binary, work):
        self.display = display
        self.env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        for attempt in range(3):  # Xvfb now and then refuses a new client
            self.game = subprocess.Popen([binary], cwd=work, env=self.env)
            try:
                out = subprocess.run(["xdotool", "search", "--sync", "--name", "^Brimzo$"], env=self.env,
                                     capture_output=True, text=True, timeout=10).stdout.split()
            except subprocess.TimeoutExpired:
                out = []
            if out:
                self.id = out[0]
                break
            self.game.kill()
            self.game.wait()
        else:
            raise SystemExit("the game's window never appeared")
        time.sleep(0.5)
        geo = self.xdo("getwindowgeometry", "--shell", self.id)
        vals = dict(line.split("=") for line in geo.split())
        self.x, self.y = int(vals["X"]), int(vals["Y"])

    def xdo(self, *args):
        for _ in range(3):  # a call that could not connect is tried again
            r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
            if r.returncode == 0:
                return r.stdout
            time.sleep(0.2)
        raise SystemExit("xdotool %s failed" % " ".join(args))

    def click(self, x, y, wait=0.3):
        self.xdo("mousemove", "--window", self.id, str(x), str(y), "click", "1")
        time.sleep(wait)

    def grab(self):
        for _ in range(3):
            try:
                return ImageGrab.grab(xdisplay=self.display).crop((self.x, self.y, self.x + 800, self.y + 600))
            except OSError:
                time.sleep(0.2)
        raise SystemExit("screenshot failed")

    def shot(self, name, away=True):
        if away:  # the drawn cursor would cover what lies under the pointer
            self.xdo("mousemove", "--window", self.id, "790", "590")
            time.sleep(0.3)
        self.grab().save(os.path.join(DOCS, name))
        print("docs/" + name)

    def close(self):
        self.xdo("key", "Escape")
        self.game.wait(timeout=10)


def occupied(img):
    """Cells holding a piece: lit beside the centre (off the piece's mark), where a free cell
    shows its dark well."""
    cells = []
    for i in range(126):
        x, y = cell_centre(i)
        r, g, b = img.getpixel((x - 11, y + 2))[:3]
        if max(abs(r - 11), abs(g - 19), abs(b - 44)) > 40:  # the well's colour
            cells.append(i)
    return cells


def neighbours():
    """Each cell's neighbours, from the board file the game reads."""
    table = {}
    with open(os.path.join(ROOT, "data", "grille_mailles.txt")) as f:
        for line in f:
            nums = [int(v) for v in line.split()]
            if nums:
                table[nums[0]] = [v for v in nums[1:] if v >= 0]
    return table


def reachable(start, free, near):
    seen, todo = set(), [start]
    while todo:
        for n in near[todo.pop()]:
            if n in free and n not in seen:
                seen.add(n)
                todo.append(n)
    return sorted(seen)


def main():
    binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "brimzo"))
    os.makedirs(DOCS, exist_ok=True)
    work = tempfile.mkdtemp(prefix="brimzo-shots-")
    shutil.copytree(os.path.join(ROOT, "data"), os.path.join(work, "data"))
    scores = "".join("%s %d" % entry for entry in TABLE).encode()
    with open(os.path.join(work, "data", "scores.txt"), "wb") as f:
        f.write(scores)
    with open(os.path.join(work, "data", "scores.cle"), "wb") as f:
        f.write(b"%d %d" % (zlib.crc32(scores), len(scores)))
    n = free_display()
    xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(50):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.1)
        w = Window(":%d" % n, binary, work)
        w.shot("intro.png")
        w.click(400, 300)          # to the help
        w.xdo("key", "space")      # to the menu
        time.sleep(0.3)
        w.xdo("mousemove", "--window", w.id, "400", "100")  # the pointer on "Jouer" lights it
        time.sleep(0.3)
        w.shot("menu.png", away=False)
        w.click(400, 100, wait=1.0)
        rng = random.Random(7)
        near = neighbours()
        moves = 0
        while True:
            img = w.grab()
            full = occupied(img)
            if len(full) >= 126:
                break
            free = set(range(126)) - set(full)
            movable = [(p, reachable(p, free, near)) for p in full]
            movable = [(p, to) for p, to in movable if to]
            if not movable:
                raise SystemExit("no move left on a board that is not full")
            piece, targets = rng.choice(movable)
            w.click(*cell_centre(piece), wait=0.15)
            w.click(*cell_centre(rng.choice(targets)), wait=1.4)
            moves += 1
            if moves == 6:
                w.shot("game.png")
            if moves > 150:
                raise SystemExit("the board never filled")
        time.sleep(1.5)
        w.shot("game_over.png")
        w.click(400, 300, wait=1.0)  # to the table, with the name entry
        w.shot("name_entry.png")
        for x, y, times in ((323, 274, 2), (394, 380, 4), (469, 380, 3)):  # Z, E, D
            for _ in range(times):
                w.click(x, y, wait=0.15)
        w.click(395, 452, wait=0.5)  # OK
        w.shot("table.png")
        w.close()
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
