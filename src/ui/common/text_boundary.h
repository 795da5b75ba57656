// The one pair of conversions between the session's GBK text and the widgets' QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ft::ui {

QString ToQt(std::string_view gbk);
std::string FromQt(const QString& text);

// `text` for a text box: a line longer than `maxLine` characters is cut there and ends in "…".
// A box lays out a whole line at once: one line of a megabyte stalls the window half a second,
// and an answer may hold eight.
inline constexpr qsizetype kMaxShownLine = 10000;
QString CutLongLines(const QString& text, qsizetype maxLine = kMaxShownLine);

}  // namespace ft::ui
