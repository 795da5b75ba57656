// Append-only trace of the closing orders the terminal sends by itself: one file per local
// day beside the program ("log%04d%02d%02d.txt"), lines ending in CR LF.
#pragma once

#include <ctime>
#include <string>

namespace ft {

// Never fails visibly: an entry that cannot be written is lost.
void WriteLog(const std::string& message);
// The same at a given time (one reading of the clock for date and time).
void WriteLog(const std::string& message, std::time_t now);

}  // namespace ft
