// The double-click order of the quote board and the positions panel: once the order-entry
// panel shows a price (checked every 20 ms, at most 4 s, on the window's timer), the order is
// submitted from code.
#pragma once

class QObject;

namespace ft::ui {

class PanelLinks;

void SubmitWhenPriced(QObject* owner, PanelLinks* links);

}  // namespace ft::ui
