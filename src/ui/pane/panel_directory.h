// Which panel plays which part, kept as panels are placed on their tabs, so the frame answers
// the panels' questions from it instead of searching the tabs by index. A panel that is
// replaced or deleted leaves its part empty.
#pragma once

#include <QPointer>

#include "ui/pane/pane_view.h"
#include "ui/pane/panel_links.h"

namespace ft::ui {

class PanelDirectory {
public:
    // Records the parts `panel` offers.
    void Place(TabPanel* panel);

    OrderEntryTarget* OrderEntry() const { return orderEntry_.Get(); }
    PositionsSource* Positions() const { return positions_.Get(); }
    QuoteBoardRows* QuoteBoard() const { return board_.Get(); }

private:
    template <typename Part>
    struct Slot {
        QPointer<TabPanel> panel;
        Part* part = nullptr;
        Part* Get() const { return panel ? part : nullptr; }
        void Offer(TabPanel* candidate) {
            if (auto* p = dynamic_cast<Part*>(candidate)) {
                panel = candidate;
                part = p;
            }
        }
    };

    Slot<OrderEntryTarget> orderEntry_;
    Slot<PositionsSource> positions_;
    Slot<QuoteBoardRows> board_;
};

}  // namespace ft::ui
