#include "ui/pane/submit_when_priced.h"

#include <QPointer>
#include <QWidget>

#include "core/text.h"
#include "ui/common/effects.h"
#include "ui/controls/retry_timer.h"
#include "ui/pane/panel_links.h"

namespace ft::ui {

void SubmitWhenPriced(QWidget* owner, PanelLinks* links, const std::string& code) {
    RetryEvery(
        owner, 20, 200,
        [links] {
            OrderEntryTarget* entry = links ? links->OrderEntry() : nullptr;
            if (entry && !entry->HasPrice()) {
                return false;
            }
            if (entry) {
                entry->SubmitOrder(SubmitFrom::Code);
            }
            return true;
        },
        [owner = QPointer<QWidget>(owner), code] {
            Message(owner.data(), Ansi("4秒内未取得 ") + code + Ansi(" 的行情价格，委托未发出"));
        });
}

}  // namespace ft::ui
