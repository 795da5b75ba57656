// The main window: menu, status bar, the splitters with the five pane views, and the threads
// that run for the life of the window.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>

#include "core/frame_rules.h"
#include "core/layout_store.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "positions/trading_state.h"
#include "ui/frame/notifier.h"
#include "ui/pane/panel_directory.h"
#include "ui/pane/panel_links.h"

class QLabel;
class QSplitter;
class QTimer;

namespace ft::ui {

class CTFormView;
class CTopView;
class CTradeView;
class COrderView;
class CLcView;
class CTDetailView;
class KeyboardTrading;
class Reconciler;
class TabPanel;
class TradingStepper;
class NotificationCenter;
class NotifySettingsDialog;

struct FrameOptions {
    TickSource tick = SystemTicks();
    std::chrono::milliseconds announcementDelay{2000};
    // How often the counter panes and the connection pane look at what they show.
    std::chrono::milliseconds countersInterval{500};
    // The notifications' seam and timings (the tray by default).
    NotifyOptions notify;
};

class CMainFrame : public QMainWindow, public PanelLinks {
    Q_OBJECT
public:
    // Status panes: version, forced closes, account, the two counters, the connection.
    static constexpr int kStatusPaneCount = 6;
    static constexpr int kConnectionPane = 5;
    // The restored size of the window; it opens maximized.
    static constexpr int kRestoredWidth = 1024;
    static constexpr int kRestoredHeight = 690;
    // The order-entry pane's least size: its tab bar and every control of the panel.
    static constexpr int kOrderPaneMinWidth = 290;
    static constexpr int kOrderPaneMinHeight = 240;

    // `startServices` starts the threads that live as long as the process (the quote feed and
    // the heartbeat writer, owned by the caller); it runs before the frame's own work starts.
    CMainFrame(SessionState& session, TableLoader& loader, QuoteBook& quotes,
               const std::function<void()>& startServices, FrameOptions options = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    SessionState& Session() const { return session_; }
    TableLoader& Loader() const { return loader_; }
    QuoteBook& Quotes() const { return quotes_; }

    CTopView* TopView() const { return topView_; }
    CTradeView* TradeView() const { return tradeView_; }
    COrderView* OrderView() const { return orderView_; }
    CLcView* LcView() const { return lcView_; }
    CTDetailView* DetailView() const { return detailView_; }
    QSplitter* MainSplitter() const { return mainSplitter_; }
    QSplitter* MiddleSplitter() const { return middleSplitter_; }
    QSplitter* BottomSplitter() const { return bottomSplitter_; }
    QLabel* StatusPane(int index) const;

    // What the panels ask of each other.
    void PanelPlaced(TabPanel* panel) override { panels_.Place(panel); }
    OrderEntryTarget* OrderEntry() const override;
    PositionsSource* Positions() const override;
    QuoteBoardRows* QuoteBoard() const override;
    void OpenSettlementQuery() override { OnSettlementQuery(); }
    // The trading state (positions, funds, stop rules) and its step.
    TradingState& Trading() const { return *trading_; }
    TradingStepper* Stepper() const { return stepper_; }
    // The trading keys and their map.
    KeyboardTrading* Keyboard() const { return keyboard_; }
    // The notifications: their watch, and the settings dialog while it is open.
    NotificationCenter* Notices() const { return notices_; }
    NotifySettingsDialog* NotifyDialog() const;

    // Shows the window as the trader left it (layout.ini), maximized without that file.
    void ShowAsSaved();
    // Writes the window's layout to layout.ini.
    bool SaveLayout() const;

    // A key press from a panel, passed on to the order-entry panel.
    void ForwardKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Asks the top, orders, positions and trades views, in this order, to repaint their lists.
    void RepaintPanes();
    // The pane that holds the focus, or last held it.
    CTFormView* ActiveView() const;

public slots:
    void OnSettlementQuery();  // "历史交易记录查询"
    void OnChangePassword();   // "修改密码(&P)"
    void OnExit();             // "退出(&Q)"
    void OnBankTransfer();     // the transfer dialog (command 32784)
    void OnRefresh();          // "刷新(&R)"
    void OnChat();             // "和我们在线交谈"
    void OnHotKeys();          // "快捷键设置" (keyboard_trading.cpp)
    void OnNotifySettings();   // "提醒设置"
    void NextPane();           // F6
    void PreviousPane();       // Shift+F6

protected:
    // Shows the announcement modally; called on the UI thread.
    virtual void ShowAnnouncement(const QString& text);

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildStatusBar();
    void BuildNotifications();
    void BuildClientArea();
    void RestoreLayout();
    void StartAnnouncementCheck();
    void UpdateCounters();
    void UpdateConnection();
    std::array<CTFormView*, 5> Panes() const;
    void MovePaneFocus(int step);
    // Shows tab `index` of `view` and moves the focus into it (F1 to F5).
    void ShowTab(CTFormView* view, int index);
    void OnFocusChanged(QWidget* now);

    SessionState& session_;
    TableLoader& loader_;
    QuoteBook& quotes_;
    FrameOptions options_;
    RefreshGate refreshGate_;
    LayoutClock layoutClock_;
    FrameCounters counters_;

    QSplitter* mainSplitter_ = nullptr;
    QSplitter* middleSplitter_ = nullptr;
    QSplitter* bottomSplitter_ = nullptr;
    CTopView* topView_ = nullptr;
    CTradeView* tradeView_ = nullptr;
    COrderView* orderView_ = nullptr;
    CLcView* lcView_ = nullptr;
    CTDetailView* detailView_ = nullptr;
    QPointer<CTFormView> activeView_;
    std::array<QLabel*, kStatusPaneCount> statusPanes_{};
    QTimer* countersTimer_ = nullptr;
    Reconciler* webProbe_ = nullptr;  // asks an unreachable back-end again until it answers
    QTimer* saveTimer_ = nullptr;
    QMetaObject::Connection focusConnection_;
    SavedLayout savedLayout_;
    PanelDirectory panels_;
    std::unique_ptr<TradingState> trading_;
    TradingStepper* stepper_ = nullptr;
    KeyboardTrading* keyboard_ = nullptr;
    std::shared_ptr<Notifier> notifier_;
    NotificationCenter* notices_ = nullptr;
    QPointer<NotifySettingsDialog> notifyDialog_;
};

}  // namespace ft::ui
