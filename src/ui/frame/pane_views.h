// The pane views of the main frame and the panel base that every tab page derives from.
// Each view holds one tab widget; the panels arrive with their own windows through SetPanel.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "core/session_state.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"

class QLabel;
class QTabWidget;
class QTimer;
class QVBoxLayout;

namespace ft::ui {

class CMainFrame;
class CPriceSubDlg1;
class CPriceSubDlg2;
class CListCtrlCl;
class CXPButton;

// What the panels of a view are built with. The panels reach each other through the frame.
struct PaneContext {
    SessionState& session;
    TableLoader& loader;
    QuoteBook& quotes;
    CMainFrame* frame;
};

// A tab page of a pane view. Enter and Escape pressed anywhere inside it are swallowed, so
// they neither press a default button nor close anything; every other key press is first
// announced by keyDown (the frame passes it on to the order-entry panel) and then handled
// normally.
class CTPanel : public QWidget {
    Q_OBJECT
public:
    explicit CTPanel(QWidget* parent = nullptr);

    // A key press that a panel forwarded through the frame. The default ignores it.
    virtual void HandleForwardedKey(int key, Qt::KeyboardModifiers modifiers);

signals:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);
    void Unwatch(QObject* object);

    // The press being passed up from a child to its parents, so it is announced only once.
    const QEvent* propagating_ = nullptr;
    QPointer<QWidget> firstReceiver_;
};

// Base of the five pane views: background RGB(255,255,245) and one tab widget 5 px below the
// top edge.
class CTFormView : public QWidget {
    Q_OBJECT
public:
    explicit CTFormView(const PaneContext& context, QWidget* parent = nullptr);

    const PaneContext& Context() const { return context_; }
    QTabWidget* Tabs() const { return tabs_; }
    int PanelCount() const;
    CTPanel* Panel(int index) const;
    CTPanel* CurrentPanel() const;
    // Puts `panel` on tab `index` in place of the page there, which is deleted; the tab keeps
    // its label and, when it was shown, stays shown. The view owns the panel.
    void SetPanel(int index, CTPanel* panel);

    // The frame's repaint request: announces it and repaints the lists of the panels.
    void RequestListRepaint();
    // Moves the keyboard focus into the shown panel.
    void FocusPane();

signals:
    // A key press inside one of the panels.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void listsRepaintRequested();

protected:
    // Adds a tab with an empty panel, to be replaced by the real one through SetPanel.
    CTPanel* AddTab(const QString& label);
    void SetTabTopMargin(int pixels);
    // Repaints every widget of every panel (lists included, shown or not).
    virtual void RepaintLists();

    void paintEvent(QPaintEvent* event) override;

private:
    void Adopt(CTPanel* panel);

    PaneContext context_;
    QVBoxLayout* layout_;
    QTabWidget* tabs_;
};

// Top row: the funds band over the tabs "报价表(F1)" and "合约列表(F6)".
class CTopView : public CTFormView {
    Q_OBJECT
public:
    static constexpr int kBandHeight = 48;
    static constexpr int kFundsFields = 9;
    explicit CTopView(const PaneContext& context, QWidget* parent = nullptr);

    CPriceSubDlg1* QuoteBoard() const;
    CPriceSubDlg2* ContractListPanel() const;
    const CListCtrlCl* ContractList() const;
    // The value fields in the bar's order: 静态权益, 平仓盈亏, 持仓盈亏, 动态权益, 手续费,
    // 占用保证金, 下单冻结, 可用资金, 风险度.
    QLabel* FundsValue(int index) const { return values_[static_cast<std::size_t>(index)]; }
    QLabel* FundsLabel(int index) const { return labels_[static_cast<std::size_t>(index)]; }
    CXPButton* QueryButton() const { return query_; }
    // One funds bar update from the session tables.
    void UpdateFunds();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildFundsBar();
    void SetValue(int index, const std::string& gbk);

    std::array<QLabel*, kFundsFields> labels_{};
    std::array<QLabel*, kFundsFields> values_{};
    CXPButton* query_ = nullptr;
    QTimer* fundsTimer_ = nullptr;
};

// Middle left: the order-entry panel on "标准下单板(小键盘+)".
class CTradeView : public CTFormView {
    Q_OBJECT
public:
    explicit CTradeView(const PaneContext& context, QWidget* parent = nullptr);
    CTPanel* OrderEntryPanel() const { return Panel(0); }

protected:
    // The order-entry panel holds no list.
    void RepaintLists() override {}
};

// Middle right: "未成交单(F2)" and "所有委托单(F5)".
class COrderView : public CTFormView {
    Q_OBJECT
public:
    explicit COrderView(const PaneContext& context, QWidget* parent = nullptr);
};

// Bottom left: "持仓(F3)".
class CLcView : public CTFormView {
    Q_OBJECT
public:
    explicit CLcView(const PaneContext& context, QWidget* parent = nullptr);
};

// Bottom right: "成交记录(F4)".
class CTDetailView : public CTFormView {
    Q_OBJECT
public:
    explicit CTDetailView(const PaneContext& context, QWidget* parent = nullptr);
};

}  // namespace ft::ui
