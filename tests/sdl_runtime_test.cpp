// Which SDL 1.2 runtime the tests run on: the classic library or the compatibility layer.
#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

TEST(SdlRuntime, LinkedLibraryIsTheExpectedOne)
{
    const SDL_version* linked = SDL_Linked_Version();
    ASSERT_NE(linked, nullptr);
    const int version = SDL_VERSIONNUM(linked->major, linked->minor, linked->patch);
    const char* expected = std::getenv("BRIMZO_EXPECT_SDL");
    const std::string runtime = expected ? expected : "";
    // Without an expectation, either runtime is fine, but it is still SDL 1.2.
    EXPECT_EQ(linked->major, 1);
    EXPECT_EQ(linked->minor, 2);
    if (runtime == "compat")
        EXPECT_GE(version, SDL_VERSIONNUM(1, 2, 50)) << "the compatibility layer is not in use";
    else if (runtime == "classic")
        EXPECT_EQ(version, SDL_VERSIONNUM(1, 2, 15)) << "the classic library is not in use";
    else
        EXPECT_EQ(runtime, "") << "BRIMZO_EXPECT_SDL must be compat or classic";
}
