// Expected checksums and sizes of the shipped assets. Printed by tools/print_asset_table.py
// from data/: do not edit by hand, print it again after changing any of these files.
#include "integrity/asset_table.h"

const asset_entry asset_table[ASSET_COUNT] = {
    /* 1 */ {"./data/SF Old Republic Bold Italic.ttf", true, 0x85E82C28, 645600u},
    /* 2, missing when printed */ {"./data/mouse.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 3, missing when printed */ {"./data/intro_bg.png", false, 0, 0xFFFFFFFFu},
    /* 4, missing when printed */ {"./data/grille.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 5, missing when printed */ {"./data/menu_jouer.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 6, missing when printed */ {"./data/menu_scores.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 7, missing when printed */ {"./data/menu_quitter.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 8, missing when printed */ {"./data/menu_aide.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 9 */ {"./data/click.wav", true, 0xADC4B3B0, 1808u},
    /* 10, missing when printed */ {"./data/game_over.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 11, missing when printed */ {"./data/pions.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 12 */ {"./data/mouvement.wav", true, 0x457E52C1, 3132u},
    /* 13 */ {"./data/ligne.wav", true, 0xC932F827, 41940u},
    /* 14 */ {"./data/game_over.wav", true, 0x4E8C5EDD, 635084u},
    /* 15, missing when printed */ {"./data/hi_scores_bg.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 16, missing when printed */ {"./data/nom.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 17 */ {"./data/hi_score.wav", true, 0xA0ED54F3, 114704u},
    /* 18, missing when printed */ {"./data/lignes.txt", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 19, missing when printed */ {"./data/grille_mailles.txt", true, 0xFFFFFFFF, 0xFFFFFFFFu},
    /* 20, missing when printed */ {"./data/aide_bg.png", true, 0xFFFFFFFF, 0xFFFFFFFFu},
};
