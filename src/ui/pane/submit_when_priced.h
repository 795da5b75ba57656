// The double-click order of the quote board and the positions panel: once the order-entry
// panel shows a price (checked every 20 ms, at most 4 s, on the window's timer), the order is
// submitted from code; when no price comes the trader is told that nothing was sent.
#pragma once

#include <string>

class QWidget;

namespace ft::ui {

class PanelLinks;

void SubmitWhenPriced(QWidget* owner, PanelLinks* links, const std::string& code);

}  // namespace ft::ui
