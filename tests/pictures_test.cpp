// The shipped pictures: sizes, transparency and the positions the screens draw at.
#include "support/test_env.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr uint32_t CYAN = 0x00FFFF;

// A picture as the file holds it (before any conversion to the display format).
class picture
{
public:
    explicit picture(const std::string& name) : surface(IMG_Load(("./data/" + name).c_str())) {}
    ~picture()
    {
        if (surface != nullptr)
            SDL_FreeSurface(surface);
    }
    picture(const picture&) = delete;
    picture& operator=(const picture&) = delete;

    bool loaded() const { return surface != nullptr; }
    int w() const { return surface->w; }
    int h() const { return surface->h; }

    // Pixel (x, y) as 0xRRGGBB.
    uint32_t rgb(int x, int y) const
    {
        const int bpp = surface->format->BytesPerPixel;
        const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
        Uint32 value = 0;
        switch (bpp) {
        case 1:
            value = *p;
            break;
        case 2:
            value = *reinterpret_cast<const Uint16*>(p);
            break;
        case 3:
            value = SDL_BYTEORDER == SDL_BIG_ENDIAN ? (p[0] << 16 | p[1] << 8 | p[2])
                                                    : (p[0] | p[1] << 8 | p[2] << 16);
            break;
        default:
            value = *reinterpret_cast<const Uint32*>(p);
        }
        Uint8 r, g, b;
        SDL_GetRGB(value, surface->format, &r, &g, &b);
        return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    }

    // Mean brightness (0..255) of the rectangle x0..x1, y0..y1, both edges included.
    double brightness(int x0, int y0, int x1, int y1) const
    {
        double sum = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const uint32_t c = rgb(x, y);
                sum += ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
            }
        return sum / (3.0 * (x1 - x0 + 1) * (y1 - y0 + 1));
    }

    // Number of pure cyan (transparent) pixels in the rectangle, both edges included.
    int cyan_count(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += rgb(x, y) == CYAN;
        return n;
    }

private:
    SDL_Surface* surface;
};

} // namespace

// A cyan pixel in a full-window picture would be a hole showing the previous frame.
TEST(Pictures, BackgroundsCoverTheWindowWithoutTransparentPixels)
{
    for (const char* name :
         {"intro_bg.png", "aide_bg.png", "menu_jouer.png", "menu_aide.png", "menu_scores.png",
          "menu_quitter.png", "grille.png", "hi_scores_bg.png"}) {
        SCOPED_TRACE(name);
        picture p(name);
        ASSERT_TRUE(p.loaded());
        ASSERT_EQ(p.w(), 800);
        ASSERT_EQ(p.h(), 600);
        EXPECT_EQ(p.cyan_count(0, 0, 799, 599), 0);
    }
}

// Each menu picture shows its own item brighter than the three others.
TEST(Pictures, EachMenuPictureHighlightsItsOwnItem)
{
    const char* names[4] = {"menu_jouer.png", "menu_aide.png", "menu_scores.png",
                            "menu_quitter.png"};
    const int item_top[4] = {69, 202, 335, 468};
    for (int lit = 0; lit < 4; ++lit) {
        SCOPED_TRACE(names[lit]);
        picture p(names[lit]);
        ASSERT_TRUE(p.loaded());
        const double lit_brightness = p.brightness(276, item_top[lit], 524, item_top[lit] + 63);
        for (int other = 0; other < 4; ++other) {
            if (other == lit)
                continue;
            EXPECT_GT(lit_brightness,
                      1.5 * p.brightness(276, item_top[other], 524, item_top[other] + 63))
                << "item " << other + 1;
        }
    }
}

// Sheet of 5 frames x 8 colours of 42 x 42: a transparent background, solid pieces at rest,
// and a last frame that has almost vanished.
TEST(Pictures, PieceSheetLayoutAndTransparency)
{
    picture p("pions.png");
    ASSERT_TRUE(p.loaded());
    ASSERT_EQ(p.w(), 210);
    ASSERT_EQ(p.h(), 336);
    uint32_t centre_colour[8];
    for (int colour = 0; colour < 8; ++colour) {
        SCOPED_TRACE("colour " + std::to_string(colour));
        const int y0 = 42 * colour;
        for (int frame = 0; frame < 5; ++frame) {
            const int x0 = 42 * frame;
            for (int corner = 0; corner < 4; ++corner)
                EXPECT_EQ(p.rgb(x0 + (corner & 1) * 41, y0 + (corner >> 1) * 41), CYAN)
                    << "frame " << frame;
        }
        int opaque_rest = 0;
        for (int y = 0; y < 42; ++y)
            for (int x = 0; x < 42; ++x) {
                const bool cyan = p.rgb(x, y0 + y) == CYAN;
                opaque_rest += !cyan;
                if (std::hypot(x + 0.5 - 21, y + 0.5 - 21) <= 15) {
                    EXPECT_FALSE(cyan) << "frame 0 at " << x << ", " << y;
                }
            }
        const int opaque_last = 42 * 42 - p.cyan_count(4 * 42, y0, 4 * 42 + 41, y0 + 41);
        EXPECT_LT(opaque_last * 4, opaque_rest);
        centre_colour[colour] = p.rgb(21 + 8, y0 + 21 + 8); // body, clear of mark and shine
    }
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
            EXPECT_NE(centre_colour[a], centre_colour[b]) << a << " and " << b;
}

// Every piece sits centred in its cell: the dark well around each sprite centre is uniform out
// to the piece's radius, so a piece never overlaps a cell's rim.
TEST(Pictures, BoardCellsAreCentredOnTheSpritePositions)
{
    picture p("grille.png");
    ASSERT_TRUE(p.loaded());
    const int x_even[6] = {262, 342, 422, 503, 583, 663};
    const int x_odd[6] = {302, 382, 462, 543, 623, 703};
    const uint32_t well = p.rgb(262 + 21, 38 + 21);
    for (int cell = 0; cell < 126; ++cell) {
        const int g = cell / 6, k = cell % 6;
        const int cx = (g % 2 == 0 ? x_even[k] : x_odd[k]) + 21;
        const int cy = 24 * g + (g % 2 == 0 ? 38 : 39) + 21;
        for (int angle = 0; angle < 360; angle += 30) {
            const double a = angle * std::acos(-1.0) / 180;
            const int x = cx + int(std::lround(18 * std::cos(a)));
            const int y = cy + int(std::lround(18 * std::sin(a)));
            EXPECT_EQ(p.rgb(x, y), well) << "cell " << cell << " angle " << angle;
        }
    }
}

// The cursor's hot spot is its top-left pixel, so that pixel must be drawn.
TEST(Pictures, CursorTipIsItsTopLeftPixel)
{
    picture p("mouse.png");
    ASSERT_TRUE(p.loaded());
    EXPECT_LE(p.w(), 32);
    EXPECT_LE(p.h(), 32);
    EXPECT_NE(p.rgb(0, 0), CYAN);
    EXPECT_EQ(p.rgb(p.w() - 1, 0), CYAN);
    EXPECT_EQ(p.rgb(0, p.h() - 1), CYAN);
}

// The name panel, drawn at (250, 120), is solid under every button and letter it offers.
TEST(Pictures, NamePanelCoversItsButtonsAndLetters)
{
    picture p("nom.png");
    ASSERT_TRUE(p.loaded());
    const int ox = 250, oy = 120;
    ASSERT_LE(ox + p.w(), 800);
    ASSERT_LE(oy + p.h(), 600);
    const SDL_Rect buttons[7] = {{304, 260, 38, 28}, {375, 260, 38, 28}, {450, 260, 38, 28},
                                 {304, 366, 38, 28}, {375, 366, 38, 28}, {450, 366, 38, 28},
                                 {360, 410, 70, 85}};
    for (const SDL_Rect& b : buttons) {
        ASSERT_LE(b.x + b.w - ox, p.w() - 1);
        ASSERT_LE(b.y + b.h - oy, p.h() - 1);
        EXPECT_EQ(p.cyan_count(b.x - ox, b.y - oy, b.x + b.w - ox, b.y + b.h - oy), 0)
            << "button at " << b.x << ", " << b.y;
    }
    for (int x : {313, 388, 460})
        EXPECT_EQ(p.cyan_count(x - ox, 315 - oy, x + 24 - ox, 315 + 29 - oy), 0)
            << "letter at " << x;
    // Rounded corners let the high-score background show through.
    EXPECT_EQ(p.rgb(0, 0), CYAN);
}

// The game-over banner lies on the board, centred on it, and is transparent only at its corners.
TEST(Pictures, GameOverBannerSitsOverTheBoardCentre)
{
    picture p("game_over.png");
    ASSERT_TRUE(p.loaded());
    const int x = 305, y = 213;
    EXPECT_GE(x, 254);
    EXPECT_LE(x + p.w(), 749);
    EXPECT_LE(y + p.h(), 563);
    EXPECT_NEAR(x + p.w() / 2.0, 501, 10);
    EXPECT_NEAR(y + p.h() / 2.0, 299, 20);
    EXPECT_EQ(p.rgb(0, 0), CYAN);
    EXPECT_EQ(p.cyan_count(20, 20, p.w() - 21, p.h() - 21), 0);
}
