#include "account/statement_rules.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <span>
#include <vector>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"

namespace ft {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kRuleWidth = 105;

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

std::string DashLine() {
    return std::string(kRuleWidth, '-') + kCrLf;
}

// "%Ns" of a GBK text, appended to `out`: padded on the left to N bytes, never cut.
void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
    out.append(text);
}

// Fills the "%s" and "%Ns" conversions of `format` with `args` in order ("%%" is a "%").
// The statement's formats hold nothing else, and an argument is inserted as it is, so a "%" in
// a back-end text stays a "%".
std::string Fill(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t width = 0;
        std::size_t j = i + 1;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width = width * 10 + static_cast<std::size_t>(format[j] - '0');
            ++j;
        }
        if (j < format.size() && format[j] == 's') {
            AppendPadded(out, arg != args.end() ? *arg++ : std::string_view(), width);
            i = j;
        } else {
            out += format[i];
        }
    }
    return out;
}

// One table row appended to `text`: "|" and every field padded to its cell, each followed by
// "|". In place: a statement may hold thousands of rows.
void AppendRow(std::string& text, std::span<const std::string_view> fields,
               std::span<const std::size_t> widths) {
    text += '|';
    for (std::size_t i = 0; i < widths.size(); ++i) {
        AppendPadded(text, fields[i], widths[i]);
        text += '|';
    }
    text += kCrLf;
}

struct HeaderCell {
    std::size_t before;
    const char* title;  // UTF-8
    std::size_t after;
};

std::string HeaderLine(std::span<const HeaderCell> cells) {
    std::string line = "|";
    for (const HeaderCell& cell : cells) {
        line += Blanks(cell.before) + Ansi(cell.title) + Blanks(cell.after) + "|";
    }
    return line + kCrLf;
}

constexpr std::array<HeaderCell, 4> kTransferHeader{{
    {6, "发生日期", 6},
    {4, "金额", 4},
    {2, "信用额度", 2},
    {2, "说明", 50},
}};
constexpr std::array<HeaderCell, 12> kFillHeader{{
    {1, "成交日期", 2},
    {2, "品种", 1},
    {0, "买卖", 0},
    {0, "开平", 0},
    {2, "成交价", 1},
    {2, "手数", 1},
    {3, "成交额", 3},
    {2, "手续费", 2},
    {1, "平仓盈亏", 1},
    {0, "成交时间", 0},
    {2, "成交序号", 1},
    {0, "投保", 0},
}};
constexpr std::array<HeaderCell, 10> kPositionHeader{{
    {1, "持仓日期", 2},
    {2, "品种", 1},
    {0, "买卖", 0},
    {1, "手数", 1},
    {2, "开仓价", 2},
    {1, "昨结算价", 1},
    {3, "持仓盈亏", 2},
    {2, "占用保证金", 1},
    {2, "开仓序号", 1},
    {0, "投保", 0},
}};

constexpr std::array<std::size_t, 4> kTransferWidths{18, 12, 12, 56};
constexpr std::array<std::size_t, 12> kFillWidths{10, 7, 4, 4, 9, 6, 12, 9, 9, 8, 10, 4};
constexpr std::array<std::size_t, 10> kPositionWidths{10, 7, 4, 5, 10, 10, 12, 12, 10, 4};

// A total shows "0" until a counted record rewrites it.
struct Total {
    bool counted = false;
    long long lots = 0;
    double money = 0;
    // The lot fields are the back-end's texts: a sum beyond the range stays at its end
    // instead of wrapping.
    void AddLots(long long n) {
        if (__builtin_add_overflow(lots, n, &lots)) {
            lots = n < 0 ? std::numeric_limits<long long>::min()
                         : std::numeric_limits<long long>::max();
        }
    }
    std::string LotsText() const { return counted ? Format("%lld", lots) : "0"; }
    std::string MoneyText() const { return counted ? FormatFixed(money, 2) : "0"; }
};

// Calls `row` with the fields of each record of `section` that has at least `fields` of them.
template <typename RowFn>
void ForEachRecord(std::string_view section, std::size_t fields, RowFn row) {
    ForEachRecordFields(section, [&](std::span<const std::string_view> f) {
        if (f.size() >= fields) {
            row(f);
        }
    });
}

// A day's statement lists far fewer rows than this; an answer with more (8 MB of "|,,,") would
// give the window hundreds of megabytes of text to lay out. The totals still count every record.
constexpr int kMaxListedRows = 10000;

std::string LeftOut(int lines) {
    if (lines <= kMaxListedRows) {
        return {};
    }
    return "| " + Ansi("……另有") + std::to_string(lines - kMaxListedRows) + Ansi("条未列出") +
           kCrLf;
}

std::string Heading(const char* title) {
    return Blanks(41) + Ansi(title) + kCrLf;
}

std::string Header(const std::vector<std::string_view>& summary, std::string_view userName) {
    std::string format;
    format += kCrLf + Blanks(44) + Ansi("结算单") + kCrLf;
    format += Blanks(85) + Ansi("制表时间：%10s") + kCrLf;
    format += DashLine() + kCrLf;
    format += Heading("交易结算单(盯市)");
    format += Ansi("客户号： %10s") + Blanks(18) + Ansi("客户名称： %10s") + Blanks(20) +
              Ansi("日期： %10s") + kCrLf + kCrLf;
    format += Heading("资金状况 币种：人民币");
    format += DashLine();
    format += Ansi("期初结存：%14s") + Blanks(12) + Ansi("持仓盈亏：%14s") + Blanks(12) +
              Ansi("出 入 金：%14s") + kCrLf;
    format += Ansi("期末结存：%14s") + Blanks(12) + Ansi("平仓盈亏：%14s") + Blanks(12) +
              Ansi("手 续 费：%14s") + kCrLf + kCrLf;
    return Fill(format, {summary[0], userName, summary[1], summary[0], summary[2], summary[3],
                         summary[4], summary[5], summary[6], summary[7]});
}

std::string Transfers(std::string_view section) {
    std::string text =
        Heading("出入金明细") + DashLine() + HeaderLine(kTransferHeader) + DashLine();
    Total amount, credit;
    int lines = 0;
    ForEachRecord(section, 4, [&](std::span<const std::string_view> f) {
        if (lines < kMaxListedRows) {
            AppendRow(text, f, kTransferWidths);
        }
        ++lines;
        amount.counted = credit.counted = true;
        amount.money += ToDouble(f[1]);
        credit.money += ToDouble(f[2]);
    });
    text += LeftOut(lines) + DashLine();
    text += Fill(Ansi("|      共%3s条      |%12s|%12s|"),
                 {std::to_string(lines), amount.MoneyText(), credit.MoneyText()}) +
            Blanks(55) + "|" + kCrLf;
    return text + DashLine() + kCrLf;
}

std::string Fills(std::string_view section) {
    std::string text = Heading("成交明细") + DashLine() + HeaderLine(kFillHeader) + DashLine();
    Total lots, turnover, fees, profit;
    int lines = 0;
    ForEachRecord(section, 12, [&](std::span<const std::string_view> f) {
        if (lines < kMaxListedRows) {
            AppendRow(text, f, kFillWidths);
        }
        ++lines;
        lots.counted = turnover.counted = fees.counted = profit.counted = true;
        lots.AddLots(ToInt(f[5]));
        turnover.money += ToDouble(f[6]);
        fees.money += ToDouble(f[7]);
        profit.money += ToDouble(f[8]);
    });
    text += LeftOut(lines) + DashLine();
    text +=
        Fill(
            Ansi(
                "| 共%4s条 |      |    |    |         |%6s|%12s|%9s|%9s|        |          |    |"),
            {std::to_string(lines), lots.LotsText(), turnover.MoneyText(), fees.MoneyText(),
             profit.MoneyText()}) +
        kCrLf;
    return text + DashLine() + kCrLf;
}

std::string Positions(std::string_view section) {
    std::string text = Heading("持仓明细") + DashLine() + HeaderLine(kPositionHeader) + DashLine();
    Total lots, profit, margin;
    int lines = 0;
    ForEachRecord(section, 10, [&](std::span<const std::string_view> f) {
        if (lines < kMaxListedRows) {
            AppendRow(text, f, kPositionWidths);
        }
        ++lines;
        lots.counted = profit.counted = margin.counted = true;
        lots.AddLots(ToInt(f[3]));
        profit.money += ToDouble(f[6]);
        margin.money += ToDouble(f[7]);
    });
    text += LeftOut(lines) + DashLine();
    text +=
        Fill(Ansi("| 共%4s条 |      |    |%5s|          |          |%12s|%12s|          |    |"),
             {std::to_string(lines), lots.LotsText(), profit.MoneyText(), margin.MoneyText()}) +
        kCrLf;
    return text + DashLine() + kCrLf;
}

}  // namespace

std::string StatementBody(const std::string& userName, int year, int month, int day) {
    FormBody body;
    body.Add("user_name", userName);
    body.Add("date", Format("%04d-%02d-%02d", year, month, day));
    return body.Text();
}

std::optional<std::string> LayOutStatement(std::string_view answer, std::string_view userName) {
    const std::vector<std::string_view> sections = SplitView("**", answer);
    if (sections.size() < 4) {
        return std::nullopt;
    }
    const std::vector<std::string_view> summary = SplitView(",", sections[0]);
    if (summary.size() < 8) {
        return std::nullopt;
    }
    std::string text = Header(summary, userName);
    text += Transfers(sections[1]);
    text += Fills(sections[2]);
    text += Positions(sections[3]);
    text += std::string(kCrLf) + kCrLf + kCrLf;
    return text;
}

std::string StatementRefusal(std::string_view answer) {
    // A refusal is a code and a reason ("1,该日无结算单"); anything else (a statement that lacks
    // fields, an error page) has no reason to quote.
    const std::vector<std::string_view> fields = SplitView(",", answer);
    if (answer.find("**") == std::string_view::npos && fields.size() >= 2 && !fields[0].empty() &&
        fields[0].find_first_not_of("-0123456789") == std::string_view::npos) {
        std::string_view reason = Trim(fields[1]);
        const std::string& stop = Ansi("。");
        if (reason.size() >= stop.size() && reason.substr(reason.size() - stop.size()) == stop) {
            reason.remove_suffix(stop.size());
        }
        if (!reason.empty()) {
            return std::string(reason);
        }
    }
    return Ansi("交易服务器的回答不是结算单");
}

std::string StatementFailureMessage(std::string_view date, std::string_view why,
                                    bool earlierShown) {
    std::string text =
        Ansi("未能取得 ") + std::string(date) + Ansi(" 的结算单：") + std::string(why);
    if (earlierShown) {
        text += Ansi("。下方仍是之前查询的结算单");
    }
    return text;
}

std::string ProposedStatementName(const std::tm& now) {
    return Format("inout%04d%02d%02d%02d%02d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday,
                  now.tm_hour, now.tm_min);
}

std::string StatementFilePath(std::string_view chosenPath) {
    if (chosenPath.empty()) {
        return {};
    }
    // The save dialog already adds the default ".txt"; a second one would name another file
    // than the one the dialog asked about overwriting.
    constexpr std::string_view kSuffix = ".txt";
    if (chosenPath.size() > kSuffix.size()) {
        const std::string_view end = chosenPath.substr(chosenPath.size() - kSuffix.size());
        bool same = true;
        for (std::size_t i = 0; i < kSuffix.size(); ++i) {
            const char c = end[i];
            same =
                same && (c == kSuffix[i] || (c >= 'A' && c <= 'Z' && c - 'A' + 'a' == kSuffix[i]));
        }
        if (same) {
            return std::string(chosenPath);
        }
    }
    return std::string(chosenPath) + std::string(kSuffix);
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
    // A new file in the same directory, so the rename stays on one file system.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

}  // namespace ft
