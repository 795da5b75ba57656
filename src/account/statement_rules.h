// The daily settlement statement: its request, the fixed-width text laid out from the
// back-end's answer, and the rules for saving that text to a file. No Qt here.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace ft {

inline constexpr const char* kStatementPath = "index.php?m=client&a=getuserdayjs";

// "user_name=<user>&date=YYYY-MM-DD".
std::string StatementBody(const std::string& userName, int year, int month, int day);

// The statement text (GBK, lines ending in CR LF) of a getuserdayjs answer: summary "**"
// transfers "**" fills "**" positions. Nothing when the answer has fewer than four sections or
// its summary fewer than eight fields (the box keeps what it shows). Widths count GBK bytes
// and pad on the left; a wider value widens its line and is never cut.
std::optional<std::string> LayOutStatement(std::string_view answer, std::string_view userName);

// Why an answer gave no statement: the back-end's reason ("1,该日无结算单" gives "该日无结算单"),
// else that the answer is no statement. GBK.
std::string StatementRefusal(std::string_view answer);

// What the trader is told when a query for `date` ("2024-03-15") shows no statement: the date,
// `why`, and, when `earlierShown`, that the text below is still the one asked for before.
std::string StatementFailureMessage(std::string_view date, std::string_view why, bool earlierShown);

// The name the save dialog proposes: "inoutYYYYMMDDhhmm" of the local time `now`.
std::string ProposedStatementName(const std::tm& now);
// The file a chosen path names: the path itself when it already ends in ".txt" (any case),
// otherwise the path with ".txt" appended. Empty for an empty choice.
std::string StatementFilePath(std::string_view chosenPath);

// Writes `bytes` as the whole content of `path`: into a new file beside it first, then renamed
// over it, so a failed write leaves an existing file as it was. False when nothing was saved.
bool WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace ft
