// CTDetailView, the bottom right pane: the trade records on "成交记录(F4)".
#pragma once

#include "ui/pane/pane_view.h"

namespace ft::ui {

class CTDetailView : public CTFormView {
    Q_OBJECT
public:
    explicit CTDetailView(const PaneContext& context, QWidget* parent = nullptr);
};

}  // namespace ft::ui
