#!/usr/bin/python3
"""Writes the board's topology files: data/grille_mailles.txt (the neighbours of every cell)
and data/lignes.txt (every run of five cells that counts as a line).

The board has 12 columns; even columns hold 11 cells (rows 0-10), odd columns 10 (rows 0-9),
each odd column half a cell lower than its even neighbours. Cell i lies in group g = i // 6 at
place k = i % 6: column 2k (g even) or 2k + 1 (g odd), row g // 2.

Run from the repository root:  tools/gen_board.py
"""

import os

COLUMNS = 12
NB_MAILLES = 126


def on_board(col, row):
    if col < 0 or col >= COLUMNS or row < 0:
        return False
    return row <= (10 if col % 2 == 0 else 9)


def cell_number(col, row):
    return 12 * row + 6 * (col % 2) + col // 2


def position(cell):
    g, k = divmod(cell, 6)
    return (2 * k if g % 2 == 0 else 2 * k + 1), g // 2


def neighbours(cell):
    c, r = position(cell)
    if c % 2 == 0:
        around = [(c, r - 1), (c, r + 1), (c - 1, r - 1), (c - 1, r), (c + 1, r - 1), (c + 1, r)]
    else:
        around = [(c, r - 1), (c, r + 1), (c - 1, r), (c - 1, r + 1), (c + 1, r), (c + 1, r + 1)]
    found = [cell_number(x, y) for x, y in around if on_board(x, y)]
    return found + [-1] * (6 - len(found))


# The five line directions, as one step from (column, row).
def step_column(c, r):
    return c, r + 1


def step_down_right(c, r):
    return (c + 1, r) if c % 2 == 0 else (c + 1, r + 1)


def step_up_right(c, r):
    return (c + 1, r - 1) if c % 2 == 0 else (c + 1, r)


def step_zigzag_row(c, r):
    return c + 1, r


def step_zigzag_between_rows(c, r):
    return (c + 1, r - 1) if c % 2 == 0 else (c + 1, r + 1)


DIRECTIONS = [step_column, step_down_right, step_up_right, step_zigzag_row,
              step_zigzag_between_rows]


def runs():
    found = []
    for cell in range(NB_MAILLES):
        for step in DIRECTIONS:
            c, r = position(cell)
            run = [cell]
            for _ in range(4):
                c, r = step(c, r)
                if not on_board(c, r):
                    break
                run.append(cell_number(c, r))
            if len(run) == 5:
                found.append(run)
    return found


def main():
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data")
    grille = "\r\n".join(" ".join(str(n) for n in [cell] + neighbours(cell))
                         for cell in range(NB_MAILLES))
    lignes = "\r\n".join(" ".join(str(n) for n in run) for run in runs())
    for name, text in (("grille_mailles.txt", grille), ("lignes.txt", lignes)):
        with open(os.path.join(data, name), "wb") as out:
            out.write(text.encode("ascii"))


if __name__ == "__main__":
    main()
