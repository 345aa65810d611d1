// Where each cell sits in the window, and which cell lies under a point.
#pragma once

// Top-left corner, in window pixels, of the 42 x 42 sprite of a cell. A number outside 0-125
// leaves x and y untouched.
void calcul_pion_pos(int cell, int& x, int& y);

// The cell under the window point (mx, my), or -1 when the point is on no cell.
int recherche_pion(int mx, int my);
