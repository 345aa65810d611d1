// Readers of the board's two topology files: the neighbours of every cell and the line table.
#pragma once

#include "game/pion.h"

// Reads `path` (126 records: a number that is ignored, then six neighbour numbers, -1 for
// none; any whitespace between numbers). Every cell is emptied and loses its neighbours first;
// cell i then takes the neighbours of record i. A neighbour outside 0-125 other than -1 is
// dropped alone (that entry stays -1) and the cell is logged; a record that ends early keeps
// the neighbours read before the end, and records missing at the end of a short file are
// logged once. False, with the log line "ERREUR OUVERTURE FICHIER
// grille_mailles.txt", when the file cannot be opened: the cells are then left as they were.
bool lire_fichier_mailles(const char* path, pion mailles[NB_MAILLES]);

// Reads `path` (374 records of five cell numbers). lignes[j] takes record j and valides[j]
// tells whether it may be used: a record with a number outside 0-125, or missing from a short
// file, is unusable (its entries are -1) and logged. False when the file cannot be opened
// (logged; every record unusable).
bool lire_fichier_lignes(const char* path, int lignes[NB_LIGNES][5], bool valides[NB_LIGNES]);
