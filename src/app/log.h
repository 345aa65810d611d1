// The program's log file: one line per call, flushed at once.
#pragma once

#include <fstream>
#include <string>

// Number argument of write_log meaning "no number on this line".
constexpr int LOG_NO_NUMBER = -999;

// "brimzo.log" in the working directory, opened (and truncated) before main runs.
extern std::ofstream log_file;

// Appends the message, then the number in decimal unless it is LOG_NO_NUMBER, then a
// newline, and flushes. Messages are single-byte Latin-1 texts.
void write_log(std::string message, int number);
