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
#include "ui/frame/order_entry_target.h"
#include "ui/frame/pane_views.h"

class QLabel;
class QSplitter;
class QTimer;

namespace ft::ui {

struct FrameOptions {
    TickSource tick = SystemTicks();
    std::chrono::milliseconds announcementDelay{2000};
    std::chrono::milliseconds heartbeatInterval{2000};
    // How often the two counter panes look at the trades and funds.
    std::chrono::milliseconds countersInterval{500};
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kStatusPaneCount = 5;

    // `startQuoteFeed` starts the quote thread (owned by the caller); it runs first of the
    // frame's threads.
    CMainFrame(SessionState& session, TableLoader& loader, QuoteBook& quotes,
               std::function<void()> startQuoteFeed, FrameOptions options = {},
               QWidget* parent = nullptr);
    // Stops the heartbeat writer and the announcement check and waits for them.
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
    // The order-entry panel's operations; nullptr while that panel does not offer them.
    OrderEntryTarget* OrderEntry() const;

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
    void OnBankTransfer();     // the transfer dialog (command 32784); no menu item yet
    void OnRefresh();          // "刷新(&R)"
    void OnChat();             // "和我们在线交谈"
    void NextPane();           // F6
    void PreviousPane();       // Shift+F6

protected:
    // Shows the announcement modally; called on the UI thread.
    virtual void ShowAnnouncement(const QString& text);

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    void BuildStatusBar();
    void BuildClientArea();
    void StartThreads(std::function<void()> startQuoteFeed);
    void UpdateCounters();
    std::array<CTFormView*, 5> Panes() const;
    void MovePaneFocus(int step);
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
    QMetaObject::Connection focusConnection_;

    std::unique_ptr<AnnouncementCheck> announcement_;
    std::unique_ptr<HeartbeatWriter> heartbeat_;
};

}  // namespace ft::ui
