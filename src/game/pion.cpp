// One cell of the board and the piece it may hold.
#include "game/pion.h"

// A cell that was never given neighbours holds a piece of colour 5 that is appearing: a board
// whose neighbour file could not be read is thus full from the start.
pion::pion() : marque(false), couleur(5), image(4), increment(-1), selectionne(false)
{
    for (int& v : voisins)
        v = -1;
}

void pion::vider()
{
    marque = false;
    couleur = -1;
    image = 4;
    increment = -1;
    selectionne = false;
}
