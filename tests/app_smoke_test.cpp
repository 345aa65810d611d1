// Start-up and shutdown through the real frame loop.
#include "app/states.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

TEST(AppSmoke, StartsOnIntroAndQuits)
{
    app_harness app;
    ASSERT_EQ(app.start(), 0);
    EXPECT_EQ(stateID, STATE_INTRO);
    app.key(SDLK_ESCAPE);
    app.frame();
    EXPECT_EQ(stateID, STATE_EXIT);
    app.stop();
}
