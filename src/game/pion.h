// One cell of the board and the piece it may hold.
#pragma once

constexpr int NB_MAILLES = 126; // cells on the board
constexpr int NB_LIGNES = 374;  // runs of five cells in the line table
constexpr int NB_COULEURS = 8;  // piece colours, 0 to 7
constexpr int NB_VOISINS = 6;   // neighbour slots of a cell
constexpr int IMAGE_MAX = 4;    // last animation frame of a piece (vanished at the next step)

class pion
{
public:
    pion();
    ~pion() {}

    // Back to an empty cell, as the neighbour file reader leaves it (neighbours untouched).
    void vider();

    bool marque;             // belongs to a completed run and is vanishing
    int voisins[NB_VOISINS]; // neighbour cell numbers, -1 = none
    int couleur;             // colour of the piece, 0 to 7; -1 = empty cell
    int image;               // animation frame, 0 (at rest) to 4
    int increment;           // change of image per step: -1 appearing, 0 resting, +1 vanishing
    bool selectionne;        // the player's current selection (blinks between frames 0 and 1)
};
