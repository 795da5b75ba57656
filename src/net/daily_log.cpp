#include "net/daily_log.h"

#include <cstdio>

#include "core/text.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace ft {

void WriteLog(const std::string& message) {
    WriteLog(message, std::time(nullptr));
}

void WriteLog(const std::string& message, std::time_t now) {
    const std::tm t = platform::LocalTime(now);
    const std::string path = platform::DataDir() + Format("/log%04d%02d%02d.txt", t.tm_year + 1900,
                                                          t.tm_mon + 1, t.tm_mday);
    std::string line = Format("%04d-%02d-%02d %02d:%02d:%02d      ", t.tm_year + 1900, t.tm_mon + 1,
                              t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    // The file keeps the text-mode line ends of the platform it was made for.
    for (char c : message) {
        if (c == '\n') {
            line += '\r';
        }
        line += c;
    }
    line += "\r\n";
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

}  // namespace ft
