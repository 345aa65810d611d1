// Expected checksums and sizes of the shipped assets. Printed by tools/print_asset_table.py
// from data/: do not edit by hand, print it again after changing any of these files.
#include "integrity/asset_table.h"

const asset_entry asset_table[ASSET_COUNT] = {
    /* 1 */ {"./data/SF Old Republic Bold Italic.ttf", true, 0x85E82C28, 645600u},
    /* 2 */ {"./data/mouse.png", true, 0x34257371, 361u},
    /* 3, size only */ {"./data/intro_bg.png", false, 0, 283120u},
    /* 4 */ {"./data/grille.png", true, 0x05A88CB7, 154168u},
    /* 5 */ {"./data/menu_jouer.png", true, 0xFD9E137E, 292419u},
    /* 6 */ {"./data/menu_scores.png", true, 0xED122E13, 293718u},
    /* 7 */ {"./data/menu_quitter.png", true, 0xA47A2C69, 293100u},
    /* 8 */ {"./data/menu_aide.png", true, 0xD276E884, 293332u},
    /* 9 */ {"./data/click.wav", true, 0xADC4B3B0, 1808u},
    /* 10 */ {"./data/game_over.png", true, 0xA9E684FD, 24418u},
    /* 11 */ {"./data/pions.png", true, 0xB7F3A2B9, 73625u},
    /* 12 */ {"./data/mouvement.wav", true, 0x457E52C1, 3132u},
    /* 13 */ {"./data/ligne.wav", true, 0xC932F827, 41940u},
    /* 14 */ {"./data/game_over.wav", true, 0x4E8C5EDD, 635084u},
    /* 15 */ {"./data/hi_scores_bg.png", true, 0xEFC6328D, 130906u},
    /* 16 */ {"./data/nom.png", true, 0x2A64DB44, 32449u},
    /* 17 */ {"./data/hi_score.wav", true, 0xA0ED54F3, 114704u},
    /* 18 */ {"./data/lignes.txt", true, 0x873C97BF, 6185u},
    /* 19 */ {"./data/grille_mailles.txt", true, 0xFE0A9AAA, 2874u},
    /* 20 */ {"./data/aide_bg.png", true, 0xEC69FC81, 222224u},
};
