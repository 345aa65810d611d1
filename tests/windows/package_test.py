"""The Windows installer and the portable zip under Wine, each case in a fresh Wine prefix on the
display $DISPLAY (tests/windows/package_test.sh starts Xvfb):

    /usr/bin/python3 tests/windows/package_test.py installer|zip PACKAGE SOURCE_DIR WORK_DIR

installer: a silent install (/S) whose manifest asks for asInvoker, leaves Wine's HKLM
(system.reg) as it was apart from Wine's own display entries, and puts nothing in Program Files;
the Start-menu shortcut's target and working folder; brimzo-game.exe alone stops on the sound
(Wine here opens no sound output), so the installed game started as the shortcut starts it,
without SDL_AUDIODRIVER, plays through the launcher's silent fall-back, to the high-score screen,
its scores in the install folder; an install
over it keeps them; a silent uninstall, waited for, leaves only them; a reinstall shows the same
table; an install into a folder with a non-ASCII name plays.
zip: the same play, fall-back included, from a freshly extracted folder.

Screens are saved as PNGs in WORK_DIR/shots. Prints one fact a line; exits 1 on the first
failure."""

import os
import re
import shutil
import struct
import subprocess
import sys
import time
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from game_window import Failure, Window, check  # noqa: E402

DISPLAY = os.environ["DISPLAY"]
CREATED = "Cr\xe9ation d'un nouveau fichier de hi_scores"
LOADING = "Chargement des hi_scores."
# A table of our own, with its key (CRC-32 and length), told apart from the default one on screen.
OWN_TABLE = b"ZED 120AAA 100AAA 90AAA 80AAA 70AAA 60AAA 50AAA 40AAA 30AAA 20"
OWN_KEY = b"%d %d" % (zlib.crc32(OWN_TABLE), len(OWN_TABLE))
# Wine's own display entries in HKLM, rewritten whenever a program starts on a display: the video
# keys, the display adapters' class ({4d36e968-...}) and the X11 driver's settings.
WINE_DISPLAY_KEYS = re.compile(r"^\[(System\\\\CurrentControlSet\\\\Control\\\\(Video|GraphicsDrivers|UnitedVideo)"
                               r"|System\\\\CurrentControlSet\\\\Control\\\\Class\\\\\{4d36e968-e325-11ce-bfc1-08002be10318\}"
                               r"|Hardware\\\\DeviceMap\\\\Video|Software\\\\Wine\\\\X11 Driver)", re.I)


class Prefix:
    """A fresh Wine prefix of its own, made with the display there."""

    def __init__(self, path):
        self.path = path
        shutil.rmtree(path, ignore_errors=True)
        self.env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all", DISPLAY=DISPLAY,
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("SDL_AUDIODRIVER", None)
        self.wine("wineboot", "-i")
        self.wait()
        self.local = self.unix(self.cmd_echo("%LOCALAPPDATA%"))
        self.appdata = self.unix(self.cmd_echo("%APPDATA%"))

    def wine(self, *args, check_status=True):
        r = subprocess.run(["wine", *args], env=self.env, capture_output=True, timeout=300)
        if check_status:
            check(r.returncode == 0, "wine %s: status %d" % (" ".join(args), r.returncode))
        return r

    def wait(self):
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)

    def cmd_echo(self, text):
        out = self.wine("cmd", "/c", "echo", text).stdout.decode("utf-8", "replace").strip()
        check(out and "%" not in out, "cmd could not expand %s: %r" % (text, out))
        return out

    def unix(self, windows_path):
        r = subprocess.run(["winepath", "-u", windows_path], env=self.env, capture_output=True,
                           text=True, timeout=60)
        return r.stdout.strip()

    def kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)

    def system_reg(self):
        """HKLM's keys and values, without the header line (its time) and Wine's display keys."""
        with open(os.path.join(self.path, "system.reg"), encoding="utf-8", errors="replace") as f:
            text = f.read()
        kept, skipping = [], False
        for line in text.splitlines():
            if line.startswith("["):
                skipping = bool(WINE_DISPLAY_KEYS.match(line))
                line = re.sub(r"\] \d+$", "]", line)  # the key's time of last change
            if line.startswith("#time=") or line.startswith("WINE REGISTRY"):
                continue
            if not skipping:
                kept.append(line)
        return kept

    def program_files(self):
        found = []
        for top in ("Program Files", "Program Files (x86)"):
            root = os.path.join(self.path, "drive_c", top)
            for d, _, files in os.walk(root):
                found += [os.path.join(d, f) for f in files]
        return set(found)


def read_lnk(path):
    """The target and the working folder of a shell link (.lnk)."""
    with open(path, "rb") as f:
        b = f.read()
    check(len(b) > 76 and struct.unpack_from("<I", b, 0)[0] == 76, "%s is no shell link" % path)
    flags = struct.unpack_from("<I", b, 20)[0]
    pos = 76
    if flags & 0x1:  # the item ID list
        pos += 2 + struct.unpack_from("<H", b, pos)[0]
    target = None
    if flags & 0x2:  # the link info
        size, header = struct.unpack_from("<II", b, pos)
        base = struct.unpack_from("<I", b, pos + 16)[0]
        if header >= 0x24:
            ubase = struct.unpack_from("<I", b, pos + 28)[0]
            end = b.index(b"\0\0", pos + ubase)
            end += (end - pos - ubase) % 2
            target = b[pos + ubase:end].decode("utf-16-le")
        else:
            target = b[pos + base:b.index(b"\0", pos + base)].decode("mbcs" if os.name == "nt" else "latin-1")
        pos += size
    strings = {}
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            n = struct.unpack_from("<H", b, pos)[0]
            if flags & 0x80:
                strings[name] = b[pos + 2:pos + 2 + 2 * n].decode("utf-16-le")
                pos += 2 + 2 * n
            else:
                strings[name] = b[pos + 2:pos + 2 + n].decode("latin-1")
                pos += 2 + n
    # Wine's shell counts the final NUL in these strings; Windows' does not.
    return target, (strings.get("workdir") or "").rstrip("\0") or None


def same_path(a, b):
    return a.rstrip("\\").lower() == b.rstrip("\\").lower()


def play_to_scores(prefix, folder, program, shots, name):
    """Starts `program` (a Windows path) in `folder` (a Unix path) as the shortcut does, without
    SDL_AUDIODRIVER, clicks through the intro and the help, opens the high-score table from the
    menu, saves it as SHOTS/NAME.png and quits with Escape. Returns the log and the screenshot."""
    env = dict(prefix.env, SDL_VIDEODRIVER="windib")
    check("SDL_AUDIODRIVER" not in env, "SDL_AUDIODRIVER is set")
    log_path = os.path.join(folder, "brimzo.log")
    err = open(os.path.join(shots, name + ".err"), "w+")
    # The launcher may start the game twice (once more without sound): more time for the window.
    w = Window(DISPLAY, ["wine", program], log_path, cwd=folder, env=env, stderr=err, timeout=30,
               client_area=True)
    try:
        check(w.size == (800, 600), "window is %dx%d" % w.size)
        w.wait_log("construction classe intro")
        w.move(400, 560)
        w.click(400, 300)
        w.wait_log("construction classe aide")
        w.key("space")
        w.wait_log("construction classe menu")
        w.move(400, 366)
        w.click(400, 366)
        w.wait_log("hi_scores")  # its load, or the default table written
        time.sleep(1.5)
        shot = w.grab()
        shot.save(os.path.join(shots, name + ".png"))
        w.key("Escape", wait=0)
        status = w.wait_exit(timeout=20)
        check(status == 0, "%s: exit status %d" % (name, status))
    finally:
        w.close()
    prefix.wait()
    log = w.log().decode("latin-1")
    print("%s: the high-score screen shown, exit status 0, log ends %r" % (name, log.splitlines()[-1:]))
    return log, shot


def scores_in(folder):
    data = os.path.join(folder, "data")
    paths = [os.path.join(data, n) for n in ("scores.txt", "scores.cle")]
    check(all(os.path.isfile(p) for p in paths), "no scores.txt and scores.cle in %s" % data)
    return tuple(open(p, "rb").read() for p in paths)


def put_own_table(folder):
    with open(os.path.join(folder, "data", "scores.txt"), "wb") as f:
        f.write(OWN_TABLE)
    with open(os.path.join(folder, "data", "scores.cle"), "wb") as f:
        f.write(OWN_KEY)


def files_under(root):
    return sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)


def game_alone_stops_on_sound(prefix, folder):
    """brimzo-game.exe started on its own, without SDL_AUDIODRIVER: where Wine opens no sound
    output it ends at once with the sound failure, so a play through brimzo.exe that works is the
    launcher's silent fall-back at work. Returns whether it did."""
    env = dict(prefix.env, SDL_VIDEODRIVER="windib")
    try:
        r = subprocess.run(["wine", "brimzo-game.exe"], cwd=folder, env=env, capture_output=True,
                           timeout=30)
        status = r.returncode
    except subprocess.TimeoutExpired:  # it plays: this machine has a sound output
        status = None
    prefix.kill()
    log_path = os.path.join(folder, "brimzo.log")
    log = open(log_path, "rb").read().decode("latin-1") if os.path.exists(log_path) else ""
    os.remove(log_path) if os.path.exists(log_path) else None
    return status == 1 and "ERREUR : SDL_MIXER" in log


def silent_fallback(log):
    """The game ran silent: the launcher's second start, with the dummy driver, wrote the log
    (its first start, when no sound output opened, ended with ERREUR : SDL_MIXER)."""
    return "ERREUR : SDL_MIXER" not in log


def test_installer(setup, work):
    shots = os.path.join(work, "shots")
    p = Prefix(os.path.join(work, "prefix-installer"))
    with open(setup, "rb") as f:
        exe = f.read()
    check(b'level="asInvoker"' in exe, "the installer's manifest does not ask for asInvoker")
    check(b'requireAdministrator' not in exe and b'highestAvailable' not in exe,
          "the installer's manifest asks for more than asInvoker")
    print("manifest: asInvoker")

    # 1. Silent install.
    reg_before, pf_before = p.system_reg(), p.program_files()
    p.wine(setup, "/S")
    p.wait()
    folder = os.path.join(p.local, "Programs", "Brimzo")
    for f in ("brimzo.exe", "brimzo-game.exe", "uninstall.exe", "SDL.dll", "data/intro_bg.png"):
        check(os.path.isfile(os.path.join(folder, f)), "%s not installed in %s" % (f, folder))
    check(not os.path.exists(os.path.join(folder, "data", "scores.txt")), "the install brought scores")
    print("installed silently into", folder)
    reg_after = p.system_reg()
    check(reg_after == reg_before, "system.reg changed: %s" % sorted(set(reg_after) ^ set(reg_before))[:10])
    print("system.reg unchanged (Wine's own display keys left out of the comparison)")
    check(p.program_files() == pf_before, "files added to Program Files: %s"
          % sorted(p.program_files() - pf_before))
    print("nothing added to Program Files")
    with open(os.path.join(p.path, "user.reg"), encoding="utf-8", errors="replace") as f:
        user_reg = f.read()
    entry = user_reg[user_reg.find("Uninstall\\\\Brimzo]"):][:2000]
    for value in ('"DisplayName"="Brimzo"', '"DisplayVersion"=', '"Publisher"=', '"DisplayIcon"='):
        check(value in entry, "the HKCU entry of installed programs lacks %s" % value)
    print("HKCU installed-programs entry with name, version, publisher and icon")

    # 2. The shortcut.
    lnk = os.path.join(p.appdata, "Microsoft", "Windows", "Start Menu", "Programs", "Brimzo.lnk")
    check(os.path.isfile(lnk), "no Start-menu shortcut %s" % lnk)
    target, workdir = read_lnk(lnk)
    win_folder = p.cmd_echo("%LOCALAPPDATA%") + "\\Programs\\Brimzo"
    check(target is not None and same_path(target, win_folder + "\\brimzo.exe"),
          "the shortcut starts %r, not %s\\brimzo.exe" % (target, win_folder))
    check(workdir is not None and same_path(workdir, win_folder),
          "the shortcut's working folder is %r, not %s" % (workdir, win_folder))
    print("shortcut: %s in %s" % (target, workdir))

    # 3. Played to the high-score screen, silent, the scores in the install folder.
    check(game_alone_stops_on_sound(p, folder),
          "brimzo-game.exe alone did not stop on the sound: the launcher's fall-back is not exercised")
    print("brimzo-game.exe alone stops on the sound: the plays below are the launcher's fall-back")
    log, _ = play_to_scores(p, folder, target, shots, "installer-1-scores")
    check(CREATED in log, "the first start did not create the score file")
    check(silent_fallback(log), "the game's log ends with the sound failure")
    first = scores_in(folder)
    print("scores in the install folder: %d + %d bytes" % (len(first[0]), len(first[1])))
    put_own_table(folder)

    # 4. Installing over it keeps them.
    p.wine(setup, "/S")
    p.wait()
    check(scores_in(folder) == (OWN_TABLE, OWN_KEY), "the install over the first changed the scores")
    log, shot_before = play_to_scores(p, folder, target, shots, "installer-2-reinstalled")
    check(LOADING in log and CREATED not in log, "the kept table was not loaded: %r" % log)
    print("install over the first: the scores kept and loaded")

    # 5. Silent uninstall, waited for: only the scores are left.
    p.wine(os.path.join(win_folder, "uninstall.exe"), "/S")
    p.wait()
    left = files_under(folder)
    check(left == ["data/scores.cle", "data/scores.txt"], "the uninstall left %s" % left)
    check(not os.path.exists(lnk), "the shortcut is still there")
    with open(os.path.join(p.path, "user.reg"), encoding="utf-8", errors="replace") as f:
        check("Uninstall\\\\Brimzo]" not in f.read(), "the installed-programs entry is still there")
    print("uninstalled: only %s left" % left)

    # 6. A reinstall shows them.
    p.wine(setup, "/S")
    p.wait()
    log, shot_after = play_to_scores(p, folder, target, shots, "installer-3-after-uninstall")
    check(LOADING in log and CREATED not in log, "the reinstall did not load the kept table")
    from PIL import ImageChops
    check(ImageChops.difference(shot_before, shot_after).getbbox() is None,
          "the high-score screen after the reinstall differs from the one before")
    print("reinstall: the same high-score screen as before the uninstall")
    p.kill()

    # 7. A folder with a non-ASCII name.
    p = Prefix(os.path.join(work, "prefix-installer-accents"))
    # No space in it: the installer takes /D= unquoted, as the last argument.
    win_folder = "C:\\Jeux\\Brimz\xf6-\xe9t\xe9"
    p.wine(setup, "/S", "/D=" + win_folder)
    p.wait()
    folder = p.unix(win_folder)
    check(os.path.isfile(os.path.join(folder, "brimzo.exe")), "nothing installed in %s" % folder)
    log, _ = play_to_scores(p, folder, win_folder + "\\brimzo.exe", shots, "installer-4-accents")
    scores_in(folder)
    print("installed into %s: plays, scores there" % win_folder)
    p.kill()


def test_zip(zip_path, work):
    shots = os.path.join(work, "shots")
    p = Prefix(os.path.join(work, "prefix-zip"))
    into = os.path.join(p.local, "Jeux")
    os.makedirs(into)
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(into)
        top = {n.split("/")[0] for n in z.namelist()}
    check(len(top) == 1, "the zip holds more than one folder: %s" % top)
    folder = os.path.join(into, top.pop())
    check(not [f for f in files_under(folder) if re.search(r"(^|/)(scores\.(txt|cle)|brimzo\.log)$|\.new$", f)],
          "the zip holds scores, half-written files or a log")
    win_folder = p.cmd_echo("%LOCALAPPDATA%") + "\\Jeux\\" + os.path.basename(folder)
    check(game_alone_stops_on_sound(p, folder),
          "brimzo-game.exe alone did not stop on the sound: the launcher's fall-back is not exercised")
    print("brimzo-game.exe alone stops on the sound (no output under this Wine): the plays below"
          " are the launcher's silent fall-back")
    log, _ = play_to_scores(p, folder, win_folder + "\\brimzo.exe", shots, "zip-scores")
    check(CREATED in log, "the first start did not create the score file")
    check(silent_fallback(log), "the game's log ends with the sound failure")
    scores_in(folder)
    print("zip: plays from a freshly extracted folder, scores in its data")
    p.kill()


def main():
    mode, package, work = sys.argv[1], sys.argv[2], sys.argv[4]
    os.makedirs(os.path.join(work, "shots"), exist_ok=True)
    try:
        (test_installer if mode == "installer" else test_zip)(package, work)
    except (Failure, OSError, subprocess.SubprocessError) as e:
        print("FAIL:", e)
        return 1
    print("%s test passed" % mode)
    return 0


if __name__ == "__main__":
    sys.exit(main())
