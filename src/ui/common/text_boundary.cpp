#include "ui/common/text_boundary.h"

#include "core/text.h"

namespace ft::ui {

QString ToQt(std::string_view gbk) {
    // Most cells are numbers and codes: plain ASCII needs no conversion (a zero byte ends the
    // text, as it does for the conversion).
    std::size_t n = 0;
    while (n < gbk.size() && gbk[n] != '\0' && static_cast<unsigned char>(gbk[n]) < 0x80) {
        ++n;
    }
    if (n == gbk.size() || gbk[n] == '\0') {
        return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(n));
    }
    const std::string utf8 = GbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    return Utf8ToGbk(text.toUtf8().toStdString());
}

QString CutLongLines(const QString& text, qsizetype maxLine) {
    QString shown;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            end = text.size();
        }
        if (end - start <= maxLine) {
            shown += QStringView(text).mid(start, end - start);
        } else {
            qsizetype cut = maxLine;
            if (text[start + cut - 1].isHighSurrogate()) {
                --cut;
            }
            shown += QStringView(text).mid(start, cut);
            shown += QStringLiteral("…");
        }
        if (end == text.size()) {
            break;
        }
        shown += QLatin1Char('\n');
        start = end + 1;
    }
    return shown;
}

}  // namespace ft::ui
