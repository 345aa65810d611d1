"""The built game in a real X window under Xvfb, for the real-window test and the screenshot
script: start it (again when Xvfb refused the connection), drive it with xdotool, grab the
window, and read what it draws by matching our own pictures in data/: which full-window
picture is shown, and which piece, if any, sits on each cell and in the preview.

Needs Debian's xdotool and python3-pil (run with /usr/bin/python3)."""

import os
import re
import subprocess
import sys
import time

from PIL import Image, ImageChops, ImageDraw, ImageGrab, ImageStat

# Where each cell's piece is drawn: the geometry the picture generator shares with the game
# (tools/ in the repository; copied beside this file where it runs elsewhere).
sys.path.insert(1, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from gen_images import cell_centre, cell_pos  # noqa: E402,F401  (cell_centre: for the drivers)

CELLS = 126
SPRITE = 42
COLOURS = 8
FRAMES = 5
CURSOR = (16, 23)
# Where a read patch must match: inside the sprite, off the two-pixel bands that the sprites
# of neighbouring cells share.
INNER = (3, 3, SPRITE - 3, SPRITE - 3)
STARTUP_FAILURE = re.compile(rb"ERREUR : SDL_(SET_VIDEO_MODE|INIT)")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def preview_pos(k):
    return 28 + 46 * k, 380


def neighbours(data_dir):
    """Each cell's neighbours, from the board file the game reads."""
    table = {}
    with open(os.path.join(data_dir, "grille_mailles.txt")) as f:
        for line in f:
            nums = [int(v) for v in line.split()]
            if nums:
                table[nums[0]] = [v for v in nums[1:] if v >= 0]
    return table


def reachable(start, free, near):
    """The free cells a piece on `start` can reach, through free cells only."""
    seen, todo = set(), [start]
    while todo:
        for n in near[todo.pop()]:
            if n in free and n not in seen:
                seen.add(n)
                todo.append(n)
    return seen


def opaque(picture):
    """A mask of the picture's pixels that are drawn: all but the pure cyan of the colour key."""
    key = Image.new("RGB", picture.size, (0, 255, 255))
    r, g, b = ImageChops.difference(picture, key).split()
    return ImageChops.lighter(ImageChops.lighter(r, g), b).point(lambda v: 255 if v else 0)


def mean_difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


class Pictures:
    """Our pictures, and the patches a cell shows for each piece, composed as the game draws
    them: the board's background, then the sprite without its cyan key."""

    def __init__(self, data_dir):
        self.data = data_dir
        self.loaded = {}
        self.board = self.load("grille.png")
        self.sheet = self.load("pions.png")
        self.sheet_mask = opaque(self.sheet)
        self.patches = {}

    def load(self, name):
        """A picture of data/, read once."""
        if name not in self.loaded:
            self.loaded[name] = Image.open(os.path.join(self.data, name)).convert("RGB")
        return self.loaded[name]

    def sprite_on(self, background, colour, frame):
        box = (frame * SPRITE, colour * SPRITE, (frame + 1) * SPRITE, (colour + 1) * SPRITE)
        patch = background.copy()
        patch.paste(self.sheet.crop(box), (0, 0), self.sheet_mask.crop(box))
        return patch.crop(INNER)

    def candidates(self, pos):
        """(colour, frame, patch) for an empty place (colour -1) and every sprite frame."""
        if pos not in self.patches:
            x, y = pos
            background = self.board.crop((x, y, x + SPRITE, y + SPRITE))
            found = [(-1, 0, background.crop(INNER))]
            for colour in range(COLOURS):
                for frame in range(FRAMES):
                    found.append((colour, frame, self.sprite_on(background, colour, frame)))
            self.patches[pos] = found
        return self.patches[pos]

    def read_piece(self, shot, pos, tolerance=4.0):
        """The (colour, frame) drawn at pos, colour -1 for none; Failure when nothing matches."""
        x, y = pos
        seen = shot.crop((x, y, x + SPRITE, y + SPRITE)).crop(INNER)
        best = min(((mean_difference(seen, patch), colour, frame)
                    for colour, frame, patch in self.candidates(pos)))
        if best[0] > tolerance:
            raise Failure("nothing of ours at %s (closest: colour %d frame %d, mean difference %.1f)"
                          % (pos, best[1], best[2], best[0]))
        return best[1], best[2]


def read_board(pictures, shot):
    """Colour of every cell (-1 when empty) and the four preview colours. The pointer must be
    away from the board: the drawn cursor covers what lies under it."""
    cells = [pictures.read_piece(shot, cell_pos(i))[0] for i in range(CELLS)]
    preview = []
    for k in range(4):
        colour, frame = pictures.read_piece(shot, preview_pos(k))
        if colour < 0 or frame != 0:
            raise Failure("preview %d shows colour %d frame %d" % (k, colour, frame))
        preview.append(colour)
    return cells, preview


def settled_board(w, pictures, want, timeout=6.0):
    """Reads the board until `want(cells, preview)` holds; Failure when it never does."""
    end = time.time() + timeout
    last = None
    while time.time() < end:
        try:
            cells, preview = read_board(pictures, w.grab())
            last = (cells, preview)
            if want(cells, preview):
                return cells, preview
        except Failure as e:  # a piece caught between two frames of its animation
            last = str(e)
        time.sleep(0.2)
    raise Failure("the board never showed what was expected; last read: %s" % (last,))


def sdl_libraries(pid):
    """The SDL 1.2 libraries the process has mapped."""
    with open("/proc/%d/maps" % pid) as f:
        return sorted({line.split()[-1] for line in f if "libSDL-1.2" in line})


def sdl_runtime(pid):
    """The SDL 1.2 runtime of the process, told by what it is rather than by a path: "compat"
    when the SDL 1.2 library it mapped runs over SDL 2 (its file names the SDL 2, or SDL 3,
    library it loads, and that library is mapped), "classic" otherwise, None without SDL 1.2.
    SDL 2 being mapped is not enough by itself: on Debian 12 the mixer's MIDI synthesiser
    links SDL 2 into the game on the classic library as well."""
    with open("/proc/%d/maps" % pid) as f:
        files = {line.split()[-1] for line in f if "/libSDL" in line}
    sdl12 = [p for p in files if os.path.basename(p).startswith("libSDL-1.2.so")]
    if not sdl12:
        return None
    with open(sdl12[0], "rb") as f:
        library = f.read()
    opens = b"libSDL2-2.0.so" in library or b"libSDL3.so" in library
    mapped = any(os.path.basename(p).startswith(("libSDL2-2.0.so", "libSDL3.so")) for p in files)
    return "compat" if opens and mapped else "classic"


def shown_picture(shot, pictures, names, pointer):
    """Which of the full-window pictures `names` the window shows, judged everywhere but under
    the cursor at `pointer`: (name, its mean difference, the largest difference elsewhere)."""
    ranked = []
    x, y = pointer
    for name in names:
        diff = ImageChops.difference(shot, pictures.load(name))
        ImageDraw.Draw(diff).rectangle((x - 1, y - 1, x + CURSOR[0], y + CURSOR[1]), fill=(0, 0, 0))
        ranked.append((sum(ImageStat.Stat(diff).mean) / 3, max(hi for _, hi in diff.getextrema()), name))
    ranked.sort()
    mean, largest, name = ranked[0]
    return name, mean, largest


class Window:
    """The game's window on `display`, from `command` (the game, or the launcher that runs it)
    started in `cwd`; `log_path` is the game's log, read to tell a start that Xvfb refused.
    `env` is the whole environment, used as given; without it, this process's environment with
    SDL's x11 video and dummy audio drivers unless they are set. With `client_area`, a frame the
    window system drew around the game's 800 x 600 pixels (Wine's) is left out."""

    def __init__(self, display, command, log_path, cwd=None, env=None, stderr=None, attempts=3,
                 timeout=10, client_area=False):
        self.display = display
        self.log_path = log_path
        self.client_area = client_area
        if env is None:
            env = dict(os.environ)
            env.setdefault("SDL_VIDEODRIVER", "x11")
            env.setdefault("SDL_AUDIODRIVER", "dummy")
        self.env = dict(env, DISPLAY=display)
        self.retried = 0
        for _ in range(attempts):
            if os.path.exists(self.log_path):
                os.remove(self.log_path)
            self.game = subprocess.Popen(command, cwd=cwd, env=self.env, stderr=stderr)
            try:
                out = subprocess.run(["xdotool", "search", "--sync", "--name", "^Brimzo$"], env=self.env,
                                     capture_output=True, text=True, timeout=timeout).stdout.split()
            except subprocess.TimeoutExpired:
                out = []
            if out:
                self.id = out[0]
                break
            self.game.kill()
            self.game.wait()
            if not STARTUP_FAILURE.search(self.log()):  # only a refused start is tried again
                raise Failure("no window, and no start-up failure in the log: %r" % self.log())
            self.retried += 1
        else:
            raise Failure("the window never appeared in %d starts" % attempts)
        geometry = dict(line.split("=") for line in self.xdo("getwindowgeometry", "--shell", self.id).split())
        self.x, self.y = int(geometry["X"]), int(geometry["Y"])
        self.size = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        if client_area and self.size != (800, 600):
            # Wine drew a frame of its own around the 800 x 600 client area: borders of one
            # width left, right and below, the caption above.
            border = (self.size[0] - 800) // 2
            self.x += border
            self.y += self.size[1] - 600 - border
            print("frame of %dx%d around the client area" % self.size)
            self.size = (800, 600)
        self.pointer = (0, 0)

    def log(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def wait_log(self, text, timeout=10.0):
        """Waits until the log holds `text` (Latin-1)."""
        end = time.time() + timeout
        while time.time() < end:
            if text.encode("latin-1") in self.log():
                return
            time.sleep(0.05)
        raise Failure("the log never showed %r: %r" % (text, self.log()))

    def xdo(self, *args):
        for _ in range(3):  # a call that could not connect is tried again
            r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
            if r.returncode == 0:
                return r.stdout
            time.sleep(0.2)
        raise Failure("xdotool %s failed: %s" % (" ".join(args), r.stderr.strip()))

    def move(self, x, y, wait=0.2):
        self.xdo("mousemove", "--window", self.id, str(x), str(y))
        self.pointer = (x, y)
        time.sleep(wait)

    def click(self, x, y, wait=0.3):
        if self.client_area:
            # Wine takes the pointer's move a moment later than the X server: a press sent at
            # once lands where the pointer was.
            self.xdo("mousemove", "--window", self.id, str(x), str(y))
            time.sleep(0.15)
            self.xdo("click", "1")
        else:
            self.xdo("mousemove", "--window", self.id, str(x), str(y), "click", "1")
        self.pointer = (x, y)
        time.sleep(wait)

    def key(self, name, wait=0.3):
        self.xdo("key", name)  # to the focused window: keys sent to a window are ignored
        time.sleep(wait)

    def grab(self):
        """The window's 800 x 600 pixels, from the screen."""
        for _ in range(3):
            try:
                screen = ImageGrab.grab(xdisplay=self.display)
                return screen.convert("RGB").crop((self.x, self.y, self.x + 800, self.y + 600))
            except OSError:  # could not connect: tried again
                time.sleep(0.2)
        raise Failure("screenshot failed")

    def away(self):
        """Moves the pointer off the board and the preview, in the window's bottom right corner."""
        self.move(790, 590, wait=0.3)

    def wait_exit(self, timeout=10.0):
        return self.game.wait(timeout=timeout)

    def close(self):
        if self.game.poll() is None:
            self.game.kill()
            self.game.wait()
