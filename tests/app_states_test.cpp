// The deferred screen switch, the frame delay and the rectangle hit test.
#include "app/app.h"
#include "app/states.h"
#include "media/input.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> journal;

// A screen that records its construction and destruction.
class recorded : public GameState
{
public:
    explicit recorded(int id) : id(id) { journal.push_back("new " + std::to_string(id)); }
    ~recorded() override { journal.push_back("delete " + std::to_string(id)); }
    void handle_events() override {}
    void logic() override {}
    void render() override {}
    int id;
};

GameState* make_recorded(int id)
{
    return new recorded(id);
}

class StateSwitch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        journal.clear();
        state_factory = make_recorded;
        stateID = STATE_INTRO;
        nextState = STATE_NULL;
        currentState = new recorded(STATE_INTRO);
        journal.clear();
    }
    void TearDown() override
    {
        delete currentState;
        currentState = nullptr;
        state_factory = make_screen;
        nextState = STATE_NULL;
        stateID = STATE_NULL;
    }
    int current_id() const { return static_cast<recorded*>(currentState)->id; }
};

TEST_F(StateSwitch, LastRequestOfAFrameWinsButExitIsNeverOverridden)
{
    struct Case
    {
        std::vector<int> requests;
        int expected;
    };
    const Case cases[] = {
        {{STATE_EXIT, STATE_MENU}, STATE_EXIT},
        {{STATE_JEU, STATE_HI_SCORES}, STATE_HI_SCORES},
        {{STATE_AIDE, STATE_EXIT, STATE_AIDE}, STATE_EXIT},
        {{STATE_MENU}, STATE_MENU},
    };
    for (const Case& c : cases) {
        nextState = STATE_NULL;
        for (int request : c.requests)
            set_next_state(request);
        EXPECT_EQ(nextState, c.expected);
    }
}

TEST_F(StateSwitch, NoRequestChangesNothing)
{
    GameState* before = currentState;
    change_state();
    EXPECT_EQ(currentState, before);
    EXPECT_EQ(stateID, STATE_INTRO);
    EXPECT_EQ(nextState, STATE_NULL);
    EXPECT_TRUE(journal.empty());
}

TEST_F(StateSwitch, OldScreenIsDeletedBeforeTheNewOneIsBuilt)
{
    set_next_state(STATE_JEU);
    set_next_state(STATE_HI_SCORES);
    change_state();
    EXPECT_EQ(journal, (std::vector<std::string>{"delete 1", "new 5"}));
    EXPECT_EQ(stateID, STATE_HI_SCORES);
    EXPECT_EQ(nextState, STATE_NULL);
    EXPECT_EQ(current_id(), STATE_HI_SCORES);
}

TEST_F(StateSwitch, RequestingTheCurrentStateBuildsAFreshScreen)
{
    set_next_state(STATE_INTRO);
    change_state();
    EXPECT_EQ(journal, (std::vector<std::string>{"delete 1", "new 1"}));
    EXPECT_EQ(current_id(), STATE_INTRO);
}

TEST_F(StateSwitch, ExitKeepsTheCurrentScreenAlive)
{
    GameState* before = currentState;
    set_next_state(STATE_EXIT);
    set_next_state(STATE_MENU);
    change_state();
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(currentState, before);
    EXPECT_EQ(stateID, STATE_EXIT);
    EXPECT_EQ(nextState, STATE_NULL);
}

TEST(FrameDelay, SleepsOutTheRestOf33Milliseconds)
{
    const struct
    {
        Uint32 elapsed, delay;
    } cases[] = {{0, 33}, {10, 23}, {32, 1}, {33, 0}, {40, 0}, {4000000000u, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(frame_delay(c.elapsed), c.delay) << "elapsed " << c.elapsed;
}

TEST(CheckInRect, BothEdgesBelongToTheRectangle)
{
    const SDL_Rect item = {276, 69, 248, 63};
    const struct
    {
        int x, y;
        bool inside;
    } cases[] = {
        {276, 69, true},   {524, 132, true}, {524, 69, true},   {276, 132, true}, {275, 100, false},
        {525, 100, false}, {400, 68, false}, {400, 133, false}, {-1, -1, false},  {400, 100, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(check_in_rect(c.x, c.y, item), c.inside) << c.x << "," << c.y;
}

TEST(CheckInRect, EmptyRectangleAcceptsOnlyItsCorner)
{
    const SDL_Rect dot = {10, 20, 0, 0};
    EXPECT_TRUE(check_in_rect(10, 20, dot));
    EXPECT_FALSE(check_in_rect(11, 20, dot));
    EXPECT_FALSE(check_in_rect(10, 21, dot));
    EXPECT_FALSE(check_in_rect(9, 20, dot));
}

TEST(CheckInRect, NegativeCornerAndWideSizeAreComparedAsInt)
{
    const SDL_Rect r = {-10, -10, 65535, 20};
    EXPECT_TRUE(check_in_rect(-10, 0, r));
    EXPECT_TRUE(check_in_rect(65525, 10, r));
    EXPECT_FALSE(check_in_rect(65526, 10, r));
    EXPECT_FALSE(check_in_rect(-11, 0, r));
}

} // namespace
