// Where each cell sits in the window, and which cell lies under a point.
#include "game/geometrie.h"

#include "game/pion.h"

namespace {

// Sprite x of the six cells of a group; even groups are the even columns. The board picture
// steps by 80 pixels except once, in the middle, by 81.
const int x_pair[6] = {262, 342, 422, 503, 583, 663};
const int x_impair[6] = {302, 382, 462, 543, 623, 703};

// The area where clicks are looked at (both edges inclusive).
constexpr int ZONE_X = 254, ZONE_Y = 36, ZONE_W = 494, ZONE_H = 526;

} // namespace

void calcul_pion_pos(int cell, int& x, int& y)
{
    if (cell < 0 || cell >= NB_MAILLES)
        return;
    const int groupe = cell / 6, place = cell % 6;
    if (groupe % 2 == 0) {
        x = x_pair[place];
        y = 24 * groupe + 38;
    } else {
        x = x_impair[place];
        y = 24 * groupe + 39;
    }
}

// Works on bands, not on the hexagons: columns are 40 pixels wide, rows 48 high, and the odd
// columns' rows start 25 pixels lower. Divisions truncate toward zero, so the few pixels left
// of the first column and above the first odd cell still count as column 0 and row 0.
int recherche_pion(int mx, int my)
{
    if (mx < ZONE_X || mx > ZONE_X + ZONE_W || my < ZONE_Y || my > ZONE_Y + ZONE_H)
        return -1;
    const int colonne = (mx - 262) / 40;
    if (colonne >= 12)
        return -1;
    const int impair = colonne % 2;
    const int rangee = impair ? (my - 60) / 48 : (my - 35) / 48;
    const int cell = colonne / 2 + 6 * impair + 12 * rangee;
    return cell < NB_MAILLES ? cell : -1;
}
