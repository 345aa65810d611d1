// The log file and its one writer.
#include "app/log.h"

std::ofstream log_file("brimzo.log");

void write_log(std::string message, int number)
{
    if (number != LOG_NO_NUMBER)
        message += std::to_string(number);
    log_file << message << '\n';
    log_file.flush();
}
