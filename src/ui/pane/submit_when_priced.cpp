#include "ui/pane/submit_when_priced.h"

#include "ui/controls/retry_timer.h"
#include "ui/pane/panel_links.h"

namespace ft::ui {

void SubmitWhenPriced(QObject* owner, PanelLinks* links) {
    RetryEvery(owner, 20, 200, [links] {
        OrderEntryTarget* entry = links ? links->OrderEntry() : nullptr;
        if (entry && !entry->HasPrice()) {
            return false;
        }
        if (entry) {
            entry->SubmitOrder(SubmitFrom::Code);
        }
        return true;
    });
}

}  // namespace ft::ui
