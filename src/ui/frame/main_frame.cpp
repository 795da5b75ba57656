#include "ui/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

#include "core/text.h"
#include "net/request_client.h"
#include "platform/system.h"
#include "positions/stop_rule_file.h"
#include "ui/account/password_dialog.h"
#include "ui/account/statement_dialog.h"
#include "ui/account/transfer_dialog.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/list_kit.h"
#include "ui/frame/announcement_dialog.h"
#include "ui/frame/keyboard_trading.h"
#include "ui/market/contract_list_panel.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/trade_records_pane.h"

namespace ft::ui {
CMainFrame::CMainFrame(SessionState& session, TableLoader& loader, QuoteBook& quotes,
                       const std::function<void()>& startServices, FrameOptions options,
                       QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      loader_(loader),
      quotes_(quotes),
      options_(std::move(options)),
      refreshGate_(options_.tick),
      layoutClock_(options_.tick),
      trading_(std::make_unique<TradingState>(session_, quotes_)) {
    const LoginFields login = session_.Login();
    // Rules of this account survive a restart within their trading day, for the positions
    // that are still open.
    trading_->RestoreRules(StopRuleFilePath(login.userName, login.serverMode), std::time(nullptr));
    stepper_ = new TradingStepper(*trading_, loader_, this);
    if (auto title = FrameTitle(static_cast<int>(login.serverMode), login.displayName)) {
        setWindowTitle(ToQt(*title));
    } else {
        setWindowTitle(QGuiApplication::applicationDisplayName());
    }
    resize(kRestoredWidth, kRestoredHeight);

    BuildMenu();
    BuildClientArea();
    keyboard_ = new KeyboardTrading(*this);
    BuildStatusBar();
    BuildNotifications();
    RestoreLayout();
    if (startServices) {
        startServices();
    }
    StartAnnouncementCheck();

    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

CMainFrame::~CMainFrame() {
    // Destroying the child widgets moves the focus; by then this is no longer a frame.
    disconnect(focusConnection_);
}

void CMainFrame::BuildMenu() {
    QMenu* system = menuBar()->addMenu(QStringLiteral("系统(&F)"));
    system->addAction(QStringLiteral("历史交易记录查询"), this, &CMainFrame::OnSettlementQuery);
    system->addSeparator();
    system->addAction(QStringLiteral("银期转帐"), this, &CMainFrame::OnBankTransfer);
    system->addSeparator();
    system->addAction(QStringLiteral("修改密码(&P)"), this, &CMainFrame::OnChangePassword);
    system->addSeparator();
    system->addAction(QStringLiteral("快捷键设置"), this, &CMainFrame::OnHotKeys);
    system->addAction(QStringLiteral("提醒设置"), this, &CMainFrame::OnNotifySettings);
    system->addSeparator();
    system->addAction(QStringLiteral("退出(&Q)"), this, &CMainFrame::OnExit);
    menuBar()->addAction(QStringLiteral("刷新(&R)"), this, &CMainFrame::OnRefresh);
    menuBar()->addAction(QStringLiteral("和我们在线交谈"), this, &CMainFrame::OnChat);

    // The keys the tab labels promise: 报价表(F1), 未成交单(F2), 持仓(F3), 成交记录(F4),
    // 所有委托单(F5).
    const std::pair<Qt::Key, std::function<void()>> tabKeys[] = {
        {Qt::Key_F1, [this] { ShowTab(topView_, 0); }},
        {Qt::Key_F2, [this] { ShowTab(orderView_, 0); }},
        {Qt::Key_F3, [this] { ShowTab(lcView_, 0); }},
        {Qt::Key_F4, [this] { ShowTab(detailView_, 0); }},
        {Qt::Key_F5, [this] { ShowTab(orderView_, 1); }},
    };
    for (const auto& [key, show] : tabKeys) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, show);
        addAction(action);
    }

    auto* next = new QAction(this);
    next->setShortcut(Qt::Key_F6);
    connect(next, &QAction::triggered, this, &CMainFrame::NextPane);
    addAction(next);
    auto* previous = new QAction(this);
    previous->setShortcut(Qt::SHIFT | Qt::Key_F6);
    connect(previous, &QAction::triggered, this, &CMainFrame::PreviousPane);
    addAction(previous);
}

void CMainFrame::BuildClientArea() {
    const PaneContext context{session_, loader_, quotes_, static_cast<PanelLinks*>(this), stepper_};

    mainSplitter_ = new QSplitter(Qt::Vertical, this);
    mainSplitter_->setChildrenCollapsible(true);
    topView_ = new CTopView(context);
    middleSplitter_ = new QSplitter(Qt::Horizontal);
    bottomSplitter_ = new QSplitter(Qt::Horizontal);
    tradeView_ = new CTradeView(context);
    orderView_ = new COrderView(context);
    lcView_ = new CLcView(context);
    detailView_ = new CTDetailView(context);

    mainSplitter_->addWidget(topView_);
    mainSplitter_->addWidget(middleSplitter_);
    mainSplitter_->addWidget(bottomSplitter_);
    middleSplitter_->addWidget(tradeView_);
    middleSplitter_->addWidget(orderView_);
    bottomSplitter_->addWidget(lcView_);
    bottomSplitter_->addWidget(detailView_);

    for (CTFormView* view : Panes()) {
        view->setMinimumSize(0, 0);
        connect(view, &CTFormView::keyDown, this, &CMainFrame::ForwardKey);
    }
    // The order-entry pane never shrinks below its controls (下单, lots and price included),
    // whatever a splitter is dragged to or layout.ini says.
    tradeView_->setMinimumSize(kOrderPaneMinWidth, kOrderPaneMinHeight);
    mainSplitter_->setCollapsible(1, false);
    middleSplitter_->setCollapsible(0, false);
    middleSplitter_->setMinimumSize(0, 0);
    bottomSplitter_->setMinimumSize(0, 0);

    // Rows 0 and 1 and the left columns keep their sizes when the window is resized; the
    // bottom row and the right columns take the rest.
    mainSplitter_->setStretchFactor(0, 0);
    mainSplitter_->setStretchFactor(1, 0);
    mainSplitter_->setStretchFactor(2, 1);
    mainSplitter_->setSizes({220, 240, 10000});
    for (QSplitter* row : {middleSplitter_, bottomSplitter_}) {
        row->setStretchFactor(0, 0);
        row->setStretchFactor(1, 1);
    }
    middleSplitter_->setSizes({315, 10000});
    bottomSplitter_->setSizes({551, 10000});

    // Handles the trader can see and grab.
    for (QSplitter* splitter : {mainSplitter_, middleSplitter_, bottomSplitter_}) {
        splitter->setHandleWidth(5);
        splitter->setStyleSheet(
            QStringLiteral("QSplitter::handle { background: rgb(200, 200, 190); }"
                           "QSplitter::handle:hover { background: rgb(150, 150, 140); }"));
    }

    setCentralWidget(mainSplitter_);
    activeView_ = topView_;
    layoutClock_.MarkLayoutReady();
}

void CMainFrame::StartAnnouncementCheck() {
    QTimer::singleShot(options_.announcementDelay, this, [this] {
        SessionState* session = &session_;
        RunAside(
            this,
            [session] {
                std::string answer;
                if (!PostForm(*session, kAnnouncementPath, std::string(), answer) ||
                    !IsAnnouncement(answer)) {
                    answer.clear();
                }
                return answer;
            },
            [this](const std::string& answer) {
                if (!answer.empty()) {
                    ShowAnnouncement(ToQt(answer));
                }
            });
    });
}

void CMainFrame::ShowAnnouncement(const QString& text) {
    CGonggaoDlg dialog(this);
    dialog.SetAnnouncement(text);
    dialog.exec();
}

void CMainFrame::OnSettlementQuery() {
    CJiesDlg dialog(session_, this);
    dialog.exec();
}

void CMainFrame::OnChangePassword() {
    CPwdDlg dialog(session_, this);
    dialog.exec();
}

void CMainFrame::OnExit() {
    SaveLayout();
    CurrentEffects().ExitProcess(0);
}

void CMainFrame::OnBankTransfer() {
    CZZDlg dialog(session_, this);
    if (dialog.exec() == QDialog::Accepted) {
        loader_.StartReloadTables(0);
    }
}

void CMainFrame::OnRefresh() {
    if (refreshGate_.TryRefresh()) {
        loader_.StartReloadTables(0);
    }
}

void CMainFrame::OnChat() {
    const QString url = ToQt(session_.chatUrl);
    if (!CurrentEffects().OpenUrl(url)) {
        Message(this, Ansi("未能打开网页浏览器，请在浏览器中打开: ") + session_.chatUrl);
    }
}

void CMainFrame::ForwardKey(int key, Qt::KeyboardModifiers modifiers) {
    // Whatever panel the order-entry tab holds hears the keys.
    if (TabPanel* panel = tradeView_ ? tradeView_->OrderEntryPanel() : nullptr) {
        panel->HandleForwardedKey(key, modifiers);
    }
}

void CMainFrame::RepaintPanes() {
    for (CTFormView* view :
         {static_cast<CTFormView*>(topView_), static_cast<CTFormView*>(orderView_),
          static_cast<CTFormView*>(lcView_), static_cast<CTFormView*>(detailView_)}) {
        if (view) {
            view->RequestListRepaint();
        }
    }
}

OrderEntryTarget* CMainFrame::OrderEntry() const {
    return panels_.OrderEntry();
}

PositionsSource* CMainFrame::Positions() const {
    return panels_.Positions();
}

QuoteBoardRows* CMainFrame::QuoteBoard() const {
    return panels_.QuoteBoard();
}

CTFormView* CMainFrame::ActiveView() const {
    return activeView_;
}

std::array<CTFormView*, 5> CMainFrame::Panes() const {
    return {topView_, tradeView_, orderView_, lcView_, detailView_};
}

void CMainFrame::OnFocusChanged(QWidget* now) {
    for (CTFormView* view : Panes()) {
        if (now && (view == now || view->isAncestorOf(now))) {
            activeView_ = view;
            return;
        }
    }
}

void CMainFrame::ShowTab(CTFormView* view, int index) {
    if (!view || index >= view->Tabs()->count()) {
        return;
    }
    view->Tabs()->setCurrentIndex(index);
    activeView_ = view;
    view->FocusPane();
}

void CMainFrame::NextPane() {
    MovePaneFocus(1);
}

void CMainFrame::PreviousPane() {
    MovePaneFocus(-1);
}

void CMainFrame::MovePaneFocus(int step) {
    const auto panes = Panes();
    const int count = static_cast<int>(panes.size());
    int current = 0;
    for (int i = 0; i < count; ++i) {
        if (panes[i] == activeView_) {
            current = i;
        }
    }
    CTFormView* target = panes[(current + step + count) % count];
    activeView_ = target;
    target->FocusPane();
}

}  // namespace ft::ui
