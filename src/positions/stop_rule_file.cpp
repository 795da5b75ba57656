#include "positions/stop_rule_file.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/record_format.h"
#include "core/text.h"
#include "net/table_loaders.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace ft {
namespace {

constexpr const char* kHeader = "stoprules 1";

// Separators and line ends inside a field become %XX; GBK's two-byte characters never hold
// these bytes, so they pass unchanged.
std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            out += Format("%%%02X", static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        unsigned value = 0;
        for (std::size_t k = i + 1; k <= i + 2; ++k) {
            const char c = text[k];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        out += static_cast<char>(value);
        i += 2;
    }
    return true;
}

// Account names may hold anything; the file name keeps letters, digits, '-' and '_' only.
std::string FileNamePart(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_') {
            out += c;
        } else {
            out += Format("%%%02X", u);
        }
    }
    return out;
}

template <std::size_t N>
void Set(char (&field)[N], std::string_view text) {
    CopyField(field, N, text);
}

}  // namespace

std::string StopRuleFilePath(const std::string& userName, ServerMode mode) {
    return platform::DataFile("stoprules-" + std::to_string(static_cast<int>(mode)) + "-" +
                              FileNamePart(userName) + ".txt");
}

std::string AccountLockPath(const std::string& userName, ServerMode mode) {
    return platform::DataFile("session-" + std::to_string(static_cast<int>(mode)) + "-" +
                              FileNamePart(userName) + ".lock");
}

bool WriteStopRuleFile(const std::string& path, const StopRuleTable& table) {
    std::string text = std::string(kHeader) + "\n";
    int count = 0;
    const auto& slots = table.Slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const StopRule& rule = slots[i];
        if (!rule.Taken()) {
            continue;
        }
        text += std::to_string(i);
        for (std::string_view field :
             {FieldText(rule.positionId), FieldText(rule.setTime), FieldText(rule.stopLossPrice),
              FieldText(rule.stopLossLots), FieldText(rule.takeProfitPrice),
              FieldText(rule.takeProfitLots)}) {
            text += '\t';
            text += Escape(field);
        }
        text += '\n';
        ++count;
    }
    // A file cut short anywhere lacks this line and is not taken for a rule file.
    text += "end " + std::to_string(count) + "\n";

    // Named per process: two writers never share (and truncate) one temporary file.
    const std::string temporary = path + "." + std::to_string(platform::ProcessId()) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ::fsync(::fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

namespace {

// One line of the file into its slot of `read`; false when the line is not a rule.
bool ReadRuleLine(std::string_view line, StopRuleTable& read) {
    const std::vector<std::string_view> fields = SplitView("\t", line);
    if (fields.size() != 7 || fields[0].empty() || fields[0].size() > 3 ||
        fields[0].find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const long long slot = ToInt(fields[0]);
    if (slot < 0 || slot >= static_cast<long long>(StopRuleTable::kSlots) ||
        read.Slots()[static_cast<std::size_t>(slot)].Taken()) {
        return false;
    }
    StopRule rule{};
    char* targets[] = {rule.positionId,   rule.setTime,         rule.stopLossPrice,
                       rule.stopLossLots, rule.takeProfitPrice, rule.takeProfitLots};
    const std::size_t widths[] = {sizeof rule.positionId,      sizeof rule.setTime,
                                  sizeof rule.stopLossPrice,   sizeof rule.stopLossLots,
                                  sizeof rule.takeProfitPrice, sizeof rule.takeProfitLots};
    std::string value;
    for (std::size_t f = 0; f < 6; ++f) {
        if (!Unescape(fields[f + 1], value)) {
            return false;
        }
        // A cut id could name another position: such a rule is left out.
        if (f == 0 && !UsablePositionId(value)) {
            return false;
        }
        CopyField(targets[f], widths[f], value);
    }
    if (rule.positionId[0] == '\0') {
        return false;
    }
    Set(rule.inUse, "1");
    read.Slots()[static_cast<std::size_t>(slot)] = rule;
    return true;
}

}  // namespace

bool ReadStopRuleFile(const std::string& path, StopRuleTable& table,
                      std::vector<int>* skippedLines) {
    table.Clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string_view> lines = SplitView("\n", text);
    // The last piece is what follows the final line end: nothing, in a complete file. A file
    // cut short lacks its end line, and its last rule might be cut inside a price.
    if (lines.size() < 3 || lines.front() != kHeader || !lines.back().empty()) {
        return false;
    }
    lines.pop_back();
    const std::string_view end = lines.back();
    if (end.substr(0, 4) != "end ") {
        return false;
    }
    StopRuleTable read;
    int count = 0;
    for (std::size_t l = 1; l + 1 < lines.size(); ++l) {
        if (ReadRuleLine(lines[l], read)) {
            ++count;
        } else if (skippedLines) {
            skippedLines->push_back(static_cast<int>(l) + 1);
        }
    }
    // Lines added or removed by hand: what was read stays, and the trader hears of it.
    if (end != "end " + std::to_string(lines.size() - 2) && skippedLines) {
        skippedLines->push_back(static_cast<int>(lines.size()));
    }
    table = read;
    return true;
}

std::time_t ParseRuleTime(const std::string& text) {
    std::tm tm{};
    char rest = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &rest) != 6) {
        return -1;
    }
    if (tm.tm_year < 1900 || tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 ||
        tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 60) {
        return -1;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

int RestoreStopRules(const std::string& path, const std::set<std::string, std::less<>>& positionIds,
                     std::time_t now, StopRuleTable& table, std::string* problem) {
    table.Clear();
    StopRuleTable read;
    std::vector<int> skipped;
    const bool complete = ReadStopRuleFile(path, read, &skipped);
    if (problem) {
        problem->clear();
        // The file's own name is plain ASCII; the folder may not be GBK.
        const std::string name = std::filesystem::path(path).filename().string();
        if (!complete && std::ifstream(path, std::ios::binary)) {
            *problem = Ansi("止损止盈文件不完整或无法识别，未恢复任何设置: ") + name;
        } else if (!skipped.empty()) {
            *problem = Ansi("止损止盈文件第");
            for (std::size_t i = 0; i < skipped.size(); ++i) {
                *problem += (i ? Ansi("、") : std::string()) + std::to_string(skipped[i]);
            }
            *problem += Ansi("行无法读取，已跳过: ") + name;
        }
    }
    if (!complete) {
        return 0;
    }
    const std::time_t today = TradingDayStart(now);
    int restored = 0;
    for (std::size_t i = 0; i < StopRuleTable::kSlots; ++i) {
        const StopRule& rule = read.Slots()[i];
        if (!rule.Taken()) {
            continue;
        }
        const std::time_t set = ParseRuleTime(std::string(FieldText(rule.setTime)));
        if (set < 0 || TradingDayStart(set) != today ||
            !positionIds.contains(FieldText(rule.positionId))) {
            continue;
        }
        table.Slots()[i] = rule;
        ++restored;
    }
    return restored;
}

}  // namespace ft
