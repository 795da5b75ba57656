#include "ui/common/text_boundary.h"

#include "core/text.h"

namespace ft::ui {

QString ToQt(std::string_view gbk) {
    const std::string utf8 = GbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    return Utf8ToGbk(text.toUtf8().toStdString());
}

}  // namespace ft::ui
