// The file checksum and the start-up check of the shipped assets.
#include "integrity/crc32.h"
#include "integrity/secure.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

struct crc_case
{
    const char* name;
    std::string bytes;
    uint32_t crc;
    uint32_t size;
};

void PrintTo(const crc_case& c, std::ostream* os)
{
    *os << c.name;
}

class FileCrc : public ::testing::TestWithParam<crc_case>
{
};

TEST_P(FileCrc, MatchesKnownValue)
{
    const std::string path = "crc_input.bin";
    write_file(path, GetParam().bytes);
    uint32_t size = 12345;
    EXPECT_EQ(file_crc32(path.c_str(), &size), GetParam().crc);
    EXPECT_EQ(size, GetParam().size);
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Files, FileCrc,
                         ::testing::Values(crc_case{"check_value", "123456789", 0xCBF43926u, 9},
                                           crc_case{"empty", "", 0, 0},
                                           // raw bytes: a CR LF is not turned into LF
                                           crc_case{"line_endings", "a\r\nb", 0xF35534D7u, 4},
                                           crc_case{"zero_byte", std::string(1, '\0'), 0xD202EF8Du,
                                                    1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileCrcUnreadable, MissingFileAndDirectoryGiveZeroAndZero)
{
    for (const char* path : {"no_such_file.bin", "."}) {
        uint32_t size = 12345;
        EXPECT_EQ(file_crc32(path, &size), 0u) << path;
        EXPECT_EQ(size, 0u) << path;
    }
}

// Several read chunks and a part-filled last one must give the checksum of the whole buffer.
TEST(FileCrcLarge, SpanningManyChunksMatchesWholeBufferChecksum)
{
    std::string bytes(200001, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    write_file("large.bin", bytes);
    const uLong expected = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                                 static_cast<uInt>(bytes.size()));
    uint32_t size = 0;
    EXPECT_EQ(file_crc32("large.bin", &size), static_cast<uint32_t>(expected));
    EXPECT_EQ(size, 200001u);
    std::remove("large.bin");
}

// --- The asset check, run on this process's copy of data/ ----------------------------------

enum class change_kind
{
    remove,      // the file is gone
    flip_bit,    // one bit of the middle byte changed: same size, other checksum
    other_bytes, // every byte inverted: same size, other contents
    extra_byte,  // one byte appended
};

struct change
{
    change_kind kind;
    const char* path;
};

struct asset_case
{
    const char* name;
    std::vector<change> changes;
    bool fails;
    int reported; // failed_entry afterwards (-1: untouched)
};

void PrintTo(const asset_case& c, std::ostream* os)
{
    *os << c.name;
}

// Applies the changes of a case and puts every touched file back afterwards, so that the cases
// share one copy of data/.
class AssetCheck : public ::testing::TestWithParam<asset_case>
{
protected:
    void apply(const change& c)
    {
        const std::string path = c.path;
        ASSERT_TRUE(file_exists(path)) << path;
        std::string bytes = read_file(path);
        saved.emplace(path, bytes);
        switch (c.kind) {
        case change_kind::remove:
            ASSERT_EQ(std::remove(path.c_str()), 0);
            return;
        case change_kind::flip_bit:
            bytes[bytes.size() / 2] ^= 0x01;
            break;
        case change_kind::other_bytes:
            for (char& b : bytes)
                b = static_cast<char>(~b);
            break;
        case change_kind::extra_byte:
            bytes += '\n';
            break;
        }
        write_file(path, bytes);
    }

    void TearDown() override
    {
        for (const auto& [path, bytes] : saved)
            write_file(path, bytes);
    }

private:
    std::map<std::string, std::string> saved;
};

TEST_P(AssetCheck, ReportsLastFailingEntry)
{
    for (const change& c : GetParam().changes)
        ASSERT_NO_FATAL_FAILURE(apply(c));
    int failed_entry = -1;
    EXPECT_EQ(secure_fichiers(&failed_entry), GetParam().fails);
    EXPECT_EQ(failed_entry, GetParam().reported);
}

INSTANTIATE_TEST_SUITE_P(
    ShippedData, AssetCheck,
    ::testing::Values(
        asset_case{"all_files_as_shipped", {}, false, -1},
        asset_case{"pieces_missing", {{change_kind::remove, "./data/pions.png"}}, true, 11},
        asset_case{"two_altered_later_reported",
                   {{change_kind::flip_bit, "./data/grille.png"},
                    {change_kind::flip_bit, "./data/mouvement.wav"}},
                   true,
                   12},
        asset_case{"first_and_last_missing",
                   {{change_kind::remove, "./data/SF Old Republic Bold Italic.ttf"},
                    {change_kind::remove, "./data/aide_bg.png"}},
                   true,
                   20},
        asset_case{"font_altered",
                   {{change_kind::flip_bit, "./data/SF Old Republic Bold Italic.ttf"}},
                   true,
                   1},
        asset_case{"intro_background_same_size_other_bytes",
                   {{change_kind::other_bytes, "./data/intro_bg.png"}},
                   false,
                   -1},
        asset_case{"intro_background_one_byte_longer",
                   {{change_kind::extra_byte, "./data/intro_bg.png"}},
                   true,
                   3},
        asset_case{"line_table_one_byte_longer",
                   {{change_kind::extra_byte, "./data/lignes.txt"}},
                   true,
                   18}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
