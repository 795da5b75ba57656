// What the order-entry panel's files share: the choice colours, the price button's two
// captions and the one way a label is rewritten.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <string>

#include "ui/common/text_boundary.h"

namespace ft::ui::order_entry {

inline const QColor kBuyColour(254, 94, 109);
inline const QColor kSellColour(0, 200, 0);
inline const QColor kOpenCloseColour(255, 222, 1);

inline QString FollowText() {
    return QStringLiteral("跟盘价");
}
inline QString GivenText() {
    return QStringLiteral("指定价");
}

inline void SetTextIfChanged(QLabel* label, const std::string& gbk) {
    const QString text = ToQt(gbk);
    if (label->text() != text) {
        label->setText(text);
    }
}

}  // namespace ft::ui::order_entry
