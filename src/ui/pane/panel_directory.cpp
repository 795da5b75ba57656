#include "ui/pane/panel_directory.h"

namespace ft::ui {

void PanelDirectory::Place(TabPanel* panel) {
    orderEntry_.Offer(panel);
    positions_.Offer(panel);
    board_.Offer(panel);
}

}  // namespace ft::ui
