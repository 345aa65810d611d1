#!/usr/bin/python3
"""Takes the README's screenshots into docs/: intro, menu, a game in play, the game over, the
name entry and the table, from the built game in a real window under Xvfb.

Run from anywhere, after building: /usr/bin/python3 tools/screenshots.py [build/brimzo]
Needs Debian's xvfb, xdotool and python3-pil. The game runs in a temporary directory holding a
copy of data/ and a starting high-score table. A simple greedy player reads the board from the
window's pixels and moves the piece that lengthens a run of its colour the most, until the game
is over; a game that does not beat the table's last row is followed by another.
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zlib

from PIL import Image, ImageChops, ImageStat

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
DOCS = os.path.join(ROOT, "docs")
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from game_window import (CELLS, Failure, Pictures, Window, cell_centre, neighbours, opaque,  # noqa: E402
                         reachable, read_board)

TABLE = [("ZOE", 311), ("LEA", 250), ("MAX", 186), ("TOM", 150), ("EVA", 125),
         ("LOU", 100), ("SAM", 75), ("NOA", 61), ("IDA", 50), ("RAY", 25)]
BANNER = (305, 213)
NAME_PANEL = (250, 120)
NAME = ((323, 274, 2), (394, 380, 4), (469, 380, 3))  # Z, E, D: a button and its clicks
OK = (395, 452)


def free_display():
    for n in range(100, 140):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise SystemExit("no free X display")


def lines():
    with open(os.path.join(DATA, "lignes.txt")) as f:
        return [[int(v) for v in line.split()] for line in f if line.split()]


def shows(shot, pictures, name, pos):
    """Whether the picture `name` is drawn at pos, judged on its pixels that are not cyan."""
    picture = pictures.load(name)
    x, y = pos
    seen = shot.crop((x, y, x + picture.width, y + picture.height))
    diff = ImageChops.difference(seen, picture)
    visible = Image.new("RGB", picture.size)
    visible.paste(diff, (0, 0), opaque(picture))
    return sum(ImageStat.Stat(visible).mean) / 3 < 2


class Player:
    """Picks the move that leaves the longest run of one colour along a line through its
    target, among the free cells each piece can reach; ties are broken at random."""

    def __init__(self, near):
        self.near = near
        self.lines = lines()
        self.through = {i: [line for line in self.lines if i in line] for i in range(CELLS)}
        self.rng = random.Random(7)

    def gain(self, cells, piece, target):
        colour = cells[piece]
        best = 0
        for line in self.through[target]:
            others = [cells[i] for i in line if i not in (piece, target)]
            if all(c in (-1, colour) for c in others):
                best = max(best, 1 + sum(c == colour for c in others))
        return best

    def choose(self, cells):
        free = {i for i in range(CELLS) if cells[i] < 0}
        moves = [(self.gain(cells, p, t), self.rng.random(), p, t)
                 for p in range(CELLS) if cells[p] >= 0 for t in reachable(p, free, self.near)]
        if not moves:
            return None
        _, _, piece, target = max(moves)
        return piece, target


def save(image, name):
    image.save(os.path.join(DOCS, name))
    print("docs/" + name)


def play_game(w, pictures, player, moves_shot):
    """Plays one game from the menu to its end; returns the screenshot of the game over."""
    w.click(400, 100, wait=1.0)
    w.wait_log("construction classe jeu")
    w.away()
    moves = 0
    while True:
        shot = w.grab()
        if shows(shot, pictures, "game_over.png", BANNER):
            return shot
        try:
            cells, _ = read_board(pictures, shot)
        except Failure:  # a piece caught between two frames, or the banner between blinks
            time.sleep(0.2)
            continue
        move = player.choose(cells)
        if move is None:
            time.sleep(0.3)
            continue
        piece, target = move
        w.click(*cell_centre(piece), wait=0.1)
        w.click(*cell_centre(target), wait=0.1)
        w.away()
        time.sleep(1.2)
        moves += 1
        if moves == moves_shot:
            save(w.grab(), "game.png")
        if moves > 400:
            raise SystemExit("the game never ended")


def main():
    binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "brimzo"))
    os.makedirs(DOCS, exist_ok=True)
    work = tempfile.mkdtemp(prefix="brimzo-shots-")
    shutil.copytree(DATA, os.path.join(work, "data"))
    scores = "".join("%s %d" % entry for entry in TABLE).encode()
    with open(os.path.join(work, "data", "scores.txt"), "wb") as f:
        f.write(scores)
    with open(os.path.join(work, "data", "scores.cle"), "wb") as f:
        f.write(b"%d %d" % (zlib.crc32(scores), len(scores)))
    n = free_display()
    xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    w = None
    try:
        for _ in range(50):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.1)
        pictures = Pictures(DATA)
        player = Player(neighbours(DATA))
        w = Window(":%d" % n, [binary], os.path.join(work, "brimzo.log"), cwd=work)
        w.wait_log("construction classe intro")
        w.away()
        save(w.grab(), "intro.png")
        w.click(400, 300)  # to the help
        w.key("space")     # to the menu
        w.wait_log("construction classe menu")
        w.move(400, 100)   # the pointer on "play" lights it
        save(w.grab(), "menu.png")
        for game in range(5):
            shot = play_game(w, pictures, player, moves_shot=14 if game == 0 else 0)
            time.sleep(1.0)  # the churn on the full board
            for _ in range(10):  # the banner blinks
                shot = w.grab()
                if shows(shot, pictures, "game_over.png", BANNER):
                    break
                time.sleep(0.1)
            w.click(400, 300, wait=1.0)  # to the high-score screen
            w.away()
            if shows(w.grab(), pictures, "nom.png", NAME_PANEL):
                break
            w.click(400, 300, wait=1.0)  # not good enough: back to the menu, and again
        else:
            raise SystemExit("no game beat the table")
        save(shot, "game_over.png")
        for x, y, times in NAME:
            for _ in range(times):
                w.click(x, y, wait=0.15)
        w.away()
        save(w.grab(), "name_entry.png")
        w.click(*OK, wait=0.5)
        w.away()
        background = pictures.load("hi_scores_bg.png")
        shots = []
        for _ in range(6):  # the new row blinks: keep a frame that shows it
            shots.append(w.grab())
            time.sleep(0.07)
        save(max(shots, key=lambda s: ImageStat.Stat(ImageChops.difference(s, background)).sum[0]),
             "table.png")
        w.key("Escape", wait=0)
        w.wait_exit()
    finally:
        if w:
            w.close()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
