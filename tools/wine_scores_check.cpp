// The score file's Windows operations, checked under Wine: save and load a table, the raw bytes,
// a read-only file, the in-place write and the table's lock. Run by tools/wine_scores_check.sh in
// a fresh folder; prints one line per failed check and exits 1 when any failed.
#include "scores/score_file.h"
#include "scores/score_fs.h"
#include "scores/score_fs_windows.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <windows.h>
#include <zlib.h>

namespace {

int failures = 0;

// A replacing move held up by another program `busy_moves` more times.
int busy_moves = 0;
int moves = 0;
BOOL WINAPI held_up_move(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    ++moves;
    if (busy_moves > 0) {
        --busy_moves;
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return score_win32_system.move_file_ex(from, to, flags);
}

int slept_ms = 0;
void WINAPI no_sleep(DWORD milliseconds)
{
    slept_ms += static_cast<int>(milliseconds);
}

// A folder that refuses new files: CREATE_NEW is denied, the existing files still open.
HANDLE WINAPI refusing_create(LPCWSTR path, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE template_file)
{
    if (disposition == CREATE_NEW) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return score_win32_system.create_file(path, access, share, security, disposition, flags,
                                          template_file);
}

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

    // A move held up for a moment by another program is tried again; one held up for good is
    // given up after about 2 s, and the old pair stays.
    score_win32.move_file_ex = held_up_move;
    score_win32.sleep = no_sleep;
    busy_moves = 3;
    scores[0] = 4242;
    check(save_scores(names, scores), "a save through a move held up three times");
    check(moves == 5 && slept_ms == 150, "the held-up move tried again every 50 ms");
    const std::string saved = scores_file_text(names, scores);
    check(read_file(SCORES_PATH) == saved && read_file(KEY_PATH) == key_for(saved),
          "the pair saved through the held-up move");
    busy_moves = 1000;
    moves = 0;
    slept_ms = 0;
    scores[0] = 1;
    check(!save_scores(names, scores), "a move held up for good fails the save");
    check(moves == 40 && slept_ms == 1950, "the held-up move given up after about 2 s");
    check(read_file(SCORES_PATH) == saved && read_file(KEY_PATH) == key_for(saved),
          "the old pair kept after the held-up move");
    check(GetFileAttributesW(L"data\\scores.txt.new") == INVALID_FILE_ATTRIBUTES &&
              GetFileAttributesW(L"data\\scores.cle.new") == INVALID_FILE_ATTRIBUTES,
          "no .new file left after the held-up move");
    score_win32 = score_win32_system;

    // A folder that refuses new files: the pair is written in place.
    score_win32.create_file = refusing_create;
    names[1] = "LONGER";
    scores[1] = 7;
    check(save_scores(names, scores), "a save in a folder that refuses new files");
    const std::string in_place = scores_file_text(names, scores);
    check(read_file(SCORES_PATH) == in_place && read_file(KEY_PATH) == key_for(in_place),
          "the pair written in place");
    check(read_file("brimzo.log").find("criture sur place") != std::string::npos,
          "the in-place write is logged");
    score_win32 = score_win32_system;
    default_scores(again, again_points);
    load_scores(again, again_points);
    check(again[1] == "LONGER" && again_points[1] == 7 && again_points[0] == 1,
          "the table written in place loads back");

    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
