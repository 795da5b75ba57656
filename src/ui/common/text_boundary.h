// The one pair of conversions between the session's GBK text and the widgets' QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ft::ui {

QString ToQt(std::string_view gbk);
std::string FromQt(const QString& text);

}  // namespace ft::ui
