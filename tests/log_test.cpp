// The log is a text file of the platform it runs on: single-byte Latin-1 lines, each ended the
// way the platform's text files end a line.
#include "app/log.h"
#include "support/system.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

TEST(Log, LinesEndAsThePlatformsTextFiles)
{
    const std::string path = test_work_dir() + "/brimzo.log";
    const size_t before = read_file(path).size();
    write_log("Ligne d'essai \xe9", LOG_NO_NUMBER);
    write_log("Nombre ", 42);
    const std::string eol = test_system::text_line_end;
    EXPECT_EQ(read_file(path).substr(before), "Ligne d'essai \xe9" + eol + "Nombre 42" + eol);
}

} // namespace
