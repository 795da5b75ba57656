// CLcView, the bottom left pane: the positions on "持仓(F3)".
#pragma once

#include "ui/pane/pane_view.h"

namespace ft::ui {

class CLcSubDlg1;

class CLcView : public CTFormView {
    Q_OBJECT
public:
    explicit CLcView(const PaneContext& context, QWidget* parent = nullptr);
    CLcSubDlg1* PositionsPanel() const;
};

}  // namespace ft::ui
