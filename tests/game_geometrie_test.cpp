// Sprite positions of the cells and the cell under a window point.
#include "game/geometrie.h"
#include "game/pion.h"

#include <gtest/gtest.h>

TEST(Geometrie, SpritePositions)
{
    struct cas
    {
        int cell, x, y;
    };
    for (cas c : {cas{0, 262, 38}, cas{6, 302, 63}, cas{125, 663, 518}, cas{119, 703, 495},
                  cas{2, 422, 38}, cas{3, 503, 38}, cas{9, 543, 63}, cas{12, 262, 86}}) {
        int x = -1, y = -1;
        calcul_pion_pos(c.cell, x, y);
        EXPECT_EQ(x, c.x) << "cell " << c.cell;
        EXPECT_EQ(y, c.y) << "cell " << c.cell;
    }
    int x = 7, y = 8;
    calcul_pion_pos(126, x, y);
    calcul_pion_pos(-1, x, y);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST(Geometrie, CellUnderAPoint)
{
    struct cas
    {
        int x, y, cell;
    };
    for (cas c : {
             cas{262, 35, -1},  // above the click area
             cas{262, 36, 0},   // top edge
             cas{302, 36, 6},   // column 1, above its first cell: row 0 all the same
             cas{254, 100, 12}, // left of column 0, still column 0
             cas{253, 100, -1}, // left of the click area
             cas{745, 300, -1}, // right of column 11
             cas{741, 300, 71}, // column 11, row 5
             cas{749, 300, -1},
             cas{320, 550, -1}, // column 1, row band 10: no cell there
             cas{300, 550, 120},
             cas{740, 562, -1},
             cas{700, 562, 125},
             cas{700, 563, -1},
         })
        EXPECT_EQ(recherche_pion(c.x, c.y), c.cell) << "(" << c.x << ", " << c.y << ")";
}

// The middle of every sprite lies on its own cell, and no point anywhere gives a number off
// the board.
TEST(Geometrie, SpritesAndHitTestAgree)
{
    for (int cell = 0; cell < NB_MAILLES; ++cell) {
        int x, y;
        calcul_pion_pos(cell, x, y);
        EXPECT_EQ(recherche_pion(x + 21, y + 21), cell);
    }
    for (int x = -10; x < 810; ++x)
        for (int y = -10; y < 610; ++y) {
            const int cell = recherche_pion(x, y);
            ASSERT_TRUE(cell >= -1 && cell < NB_MAILLES) << x << ", " << y;
        }
}
