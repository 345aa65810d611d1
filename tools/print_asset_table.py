#!/usr/bin/python3
"""Prints src/integrity/asset_table.cpp: the expected CRC-32 and size of every asset checked
at start-up, computed from the files in data/.

Usage (from anywhere):
  /usr/bin/python3 tools/print_asset_table.py            print the C++ file on stdout
  /usr/bin/python3 tools/print_asset_table.py --write    rewrite src/integrity/asset_table.cpp
  add --allow-missing to print entries for files that are not in data/ yet: they get values
  that no file can match (so the game refuses to start until the table is printed again).

Any change to one of these files must be followed by a new table, or the game will not start.
"""

import os
import sys
import zlib

# (path as the game opens it, whether the CRC is checked or only the size), in entry order.
ASSETS = [
    ("./data/SF Old Republic Bold Italic.ttf", True),
    ("./data/mouse.png", True),
    ("./data/intro_bg.png", False),
    ("./data/grille.png", True),
    ("./data/menu_jouer.png", True),
    ("./data/menu_scores.png", True),
    ("./data/menu_quitter.png", True),
    ("./data/menu_aide.png", True),
    ("./data/click.wav", True),
    ("./data/game_over.png", True),
    ("./data/pions.png", True),
    ("./data/mouvement.wav", True),
    ("./data/ligne.wav", True),
    ("./data/game_over.wav", True),
    ("./data/hi_scores_bg.png", True),
    ("./data/nom.png", True),
    ("./data/hi_score.wav", True),
    ("./data/lignes.txt", True),
    ("./data/grille_mailles.txt", True),
    ("./data/aide_bg.png", True),
]

# A size no real asset has (and a missing file reads as size 0), for --allow-missing.
UNMATCHABLE = 0xFFFFFFFF

HEADER = """\
// Expected checksums and sizes of the shipped assets. Printed by tools/print_asset_table.py
// from data/: do not edit by hand, print it again after changing any of these files.
#include "integrity/asset_table.h"

const asset_entry asset_table[ASSET_COUNT] = {
"""


def crc_and_size(path):
    crc = 0
    size = 0
    with open(path, "rb") as f:
        while True:
            chunk = f.read(65536)
            if not chunk:
                break
            crc = zlib.crc32(chunk, crc)
            size += len(chunk)
    return crc & 0xFFFFFFFF, size


def main(argv):
    unknown = [a for a in argv if a not in ("--write", "--allow-missing")]
    if unknown:
        sys.exit(__doc__)
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    lines = [HEADER]
    missing = []
    for number, (path, check_crc) in enumerate(ASSETS, 1):
        full = os.path.join(root, path)
        if os.path.isfile(full):
            crc, size = crc_and_size(full)
            if size == 0:
                sys.exit("%s is empty: an empty file cannot be told from a missing one" % path)
            note = "" if check_crc else ", size only"
        elif "--allow-missing" in argv:
            missing.append(path)
            crc, size = UNMATCHABLE, UNMATCHABLE
            note = ", missing when printed"
        else:
            sys.exit("%s is missing (use --allow-missing to print a placeholder)" % path)
        crc_text = "0x%08X" % crc if check_crc else "0"
        size_text = "0x%08X" % size if size == UNMATCHABLE else "%d" % size
        lines.append('    /* %d%s */ {"%s", %s, %s, %su},\n'
                     % (number, note, path, "true" if check_crc else "false", crc_text, size_text))
    lines.append("};\n")
    text = "".join(lines)
    if "--write" in argv:
        out = os.path.join(root, "src", "integrity", "asset_table.cpp")
        with open(out, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
        print("wrote %s" % out, file=sys.stderr)
    else:
        sys.stdout.write(text)
    for path in missing:
        print("warning: %s is missing; its entry matches no file" % path, file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv[1:])
