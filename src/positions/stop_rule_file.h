// The stop-loss and take-profit rules of one account and server mode, kept in a file beside
// the program so that they survive a restart within their trading day. No Qt here.
#pragma once

#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "core/session_state.h"
#include "positions/stop_rules.h"

namespace ft {

// Path of the rule file of `userName` in `mode` (the name is escaped to a plain file name).
std::string StopRuleFilePath(const std::string& userName, ServerMode mode);

// Path of the lock file held by the one terminal that may use the files of `userName` in
// `mode` on this machine.
std::string AccountLockPath(const std::string& userName, ServerMode mode);

// Replaces the file by the taken slots of `table`: written to a temporary file of this process,
// flushed to disk and renamed over the old one, so a failed or torn write leaves the previous
// file.
bool WriteStopRuleFile(const std::string& path, const StopRuleTable& table);

// Reads the slots of a complete rule file into `table` (cleared first). False, with the table
// empty, when the file is missing or is not a complete rule file (no header, or no end line:
// a file cut short). A line that cannot be read (a hand edit) is left out and its number
// (from 1) added to `skippedLines`; the other lines are kept.
bool ReadStopRuleFile(const std::string& path, StopRuleTable& table,
                      std::vector<int>* skippedLines = nullptr);

// The rules worth restoring at login: read from `path`, kept only when their set time lies in
// the trading day of `now` (the same TradingDayStart) and their position id is among
// `positionIds`; the others are left out. Returns the number of rules restored. `problem`
// (GBK) tells the trader what could not be read; empty when nothing was lost.
int RestoreStopRules(const std::string& path, const std::set<std::string, std::less<>>& positionIds,
                     std::time_t now, StopRuleTable& table, std::string* problem = nullptr);

// The moment a set time ("%04d-%02d-%02d %02d:%02d:%02d", local) stands for; -1 when the text
// is not such a time.
std::time_t ParseRuleTime(const std::string& text);

}  // namespace ft
