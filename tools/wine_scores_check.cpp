// The score file's Windows operations, checked under Wine: save and load a table, the raw bytes,
// a read-only file, the in-place write and the table's lock. Run by tools/wine_scores_check.sh in
// a fresh folder; prints one line per failed check and exits 1 when any failed.
#include "scores/score_file.h"
#include "scores/score_fs.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <windows.h>
#include <zlib.h>

namespace {

int failures = 0;

void check(bool ok, const std::string& what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

std::string read_file(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string key_for(const std::string& bytes)
{
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                            static_cast<uInt>(bytes.size()));
    return std::to_string(crc) + " " + std::to_string(bytes.size());
}

} // namespace

int main()
{
    CreateDirectoryW(L"data", nullptr);
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];

    // A fresh folder: the default table is written with its key, then read back by a load.
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        names[i] = "QQQ";
        scores[i] = -1;
    }
    load_scores(names, scores);
    const std::string fresh = read_file(SCORES_PATH);
    check(!fresh.empty() && read_file(KEY_PATH) == key_for(fresh), "the fresh table's key");
    load_scores(names, scores);
    check(names[0] == "AAA" && scores[0] == 100 && names[9] == "AAA" && scores[9] == 10,
          "the default table loads");

    // A save over the existing pair (the replacing move), then a load in a clean table.
    names[0] = "ZOE";
    scores[0] = 12345;
    names[3] = "A B";
    check(save_scores(names, scores), "save over an existing pair");
    const std::string text = scores_file_text(names, scores);
    check(read_file(SCORES_PATH) == text, "the saved bytes");
    check(read_file(KEY_PATH) == key_for(text), "the saved key");
    check(GetFileAttributesW(L"data\\scores.txt.new") == INVALID_FILE_ATTRIBUTES,
          "no .new file left");
    std::string again[SCORE_ENTRIES];
    int again_points[SCORE_ENTRIES];
    default_scores(again, again_points);
    load_scores(again, again_points);
    check(again[0] == "ZOE" && again_points[0] == 12345 && again[3] == "A B",
          "the saved table loads back");

    // Raw bytes both ways: CR LF kept, no stop at 0x1A.
    const std::string raw = std::string("a\r\nb\x1a") + "c\nd" + std::string(1, '\0') + "e";
    score_fs_file probe;
    check(score_fs_resolve("./data/raw.bin", probe) && !probe.exists, "a missing file resolves");
    check(score_fs_write_new(probe, raw) == score_fs_written::written, "write-new");
    probe.path = "./data/raw.bin.new";
    std::string back;
    check(score_fs_read_all(probe.path.c_str(), back) && back == raw, "raw bytes read back");
    check(score_fs_resolve("./data/raw.bin.new", probe) && probe.exists && probe.size == raw.size(),
          "an existing file resolves with its size");

    // In place: the key padded, then cut; then a cut alone.
    check(score_fs_write_in_place(probe, "xyz", 10), "write in place");
    check(score_fs_read_all(probe.path.c_str(), back) && back == "xyz", "in place, cut");
    check(score_fs_cut(probe, 1) && score_fs_read_all(probe.path.c_str(), back) && back == "x",
          "cut");
    check(score_fs_remove(probe.path), "remove");
    check(!score_fs_read_all(probe.path.c_str(), back), "a removed file does not open");

    // A score file marked read-only is left alone.
    SetFileAttributesW(L"data\\scores.txt", FILE_ATTRIBUTE_READONLY);
    score_fs_file marked;
    check(score_fs_resolve(SCORES_PATH, marked) &&
              score_fs_permission_of(marked) == score_fs_permission::read_only,
          "read-only attribute seen");
    scores[0] = 99999;
    check(!save_scores(names, scores), "a read-only table is not saved");
    check(read_file(SCORES_PATH) == text, "the read-only table is unchanged");
    SetFileAttributesW(L"data\\scores.txt", FILE_ATTRIBUTE_NORMAL);
    check(read_file("brimzo.log").find("lecture seule") != std::string::npos,
          "the read-only file is logged");

    // The lock: held here, busy for another thread, free again once released.
    score_fs_lock mine;
    check(score_fs_try_lock("./data", mine) == score_fs_lock_state::held, "lock taken");
    score_fs_lock_state other = score_fs_lock_state::held;
    std::thread([&other] {
        score_fs_lock theirs;
        other = score_fs_try_lock("data/", theirs);
        if (other == score_fs_lock_state::held)
            score_fs_unlock(theirs);
    }).join();
    check(other == score_fs_lock_state::busy, "lock busy for another holder, by another path");
    score_fs_unlock(mine);
    std::thread([&other] {
        score_fs_lock theirs;
        other = score_fs_try_lock("./DATA", theirs);
        if (other == score_fs_lock_state::held)
            score_fs_unlock(theirs);
    }).join();
    check(other == score_fs_lock_state::held, "lock free once released");

    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
