#include "ui/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
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
#include "ui/market/contract_list_panel.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/trade_records_pane.h"

namespace ft::ui {
namespace {

QLabel* MakePane(QStatusBar* bar, int width, const QColor* colour) {
    auto* pane = new QLabel(bar);
    if (width > 0) {
        pane->setFixedWidth(width);
    } else {
        // The counter panes give way first when the window is narrow.
        pane->setMinimumWidth(1);
    }
    if (colour) {
        QPalette palette = pane->palette();
        palette.setColor(QPalette::WindowText, *colour);
        pane->setPalette(palette);
    }
    bar->addWidget(pane);
    return pane;
}

// Names of the splitters in layout.ini (lists keep their own column widths).
constexpr const char* kMainSplitter = "main";
constexpr const char* kMiddleSplitter = "middle";
constexpr const char* kBottomSplitter = "bottom";

std::vector<int> SizesOf(const QSplitter& splitter) {
    const QList<int> sizes = splitter.sizes();
    return std::vector<int>(sizes.begin(), sizes.end());
}

}  // namespace

CMainFrame::CMainFrame(SessionState& session, TableLoader& loader, QuoteBook& quotes,
                       std::function<void()> startServices, FrameOptions options, QWidget* parent)
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
    BuildStatusBar();
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
    system->addAction(QStringLiteral("退出(&Q)"), this, &CMainFrame::OnExit);
    menuBar()->addAction(QStringLiteral("刷新(&R)"), this, &CMainFrame::OnRefresh);
    menuBar()->addAction(QStringLiteral("和我们在线交谈"), this, &CMainFrame::OnChat);

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

void CMainFrame::RestoreLayout() {
    // A drag sends a stream of moves; the file is written once it has stopped.
    saveTimer_ = new QTimer(this);
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(400);
    connect(saveTimer_, &QTimer::timeout, this, [this] { SaveLayout(); });
    savedLayout_ = ReadLayout({kMainSplitter, kMiddleSplitter, kBottomSplitter}, {});
    const std::pair<const char*, QSplitter*> splitters[] = {{kMainSplitter, mainSplitter_},
                                                            {kMiddleSplitter, middleSplitter_},
                                                            {kBottomSplitter, bottomSplitter_}};
    for (const auto& [name, splitter] : splitters) {
        auto it = savedLayout_.splitters.find(name);
        if (it != savedLayout_.splitters.end() &&
            static_cast<int>(it->second.size()) == splitter->count()) {
            splitter->setSizes(QList<int>(it->second.begin(), it->second.end()));
        }
        // A dragged splitter is kept soon after: 退出 ends the process without closing windows.
        connect(splitter, &QSplitter::splitterMoved, saveTimer_, qOverload<>(&QTimer::start));
    }
}

bool CMainFrame::SaveLayout() const {
    saveTimer_->stop();
    SavedLayout layout;
    layout.maximized = isMaximized();
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        layout.normalGeometry = {normal.x(), normal.y(), normal.width(), normal.height()};
    }
    layout.splitters[kMainSplitter] = SizesOf(*mainSplitter_);
    layout.splitters[kMiddleSplitter] = SizesOf(*middleSplitter_);
    layout.splitters[kBottomSplitter] = SizesOf(*bottomSplitter_);
    return WriteLayout(layout);
}

void CMainFrame::ShowAsSaved() {
    const auto& g = savedLayout_.normalGeometry;
    // A place on a screen that is no longer there is not restored.
    if (g.size() == 4 && g[2] > 100 && g[3] > 100 &&
        QGuiApplication::screenAt(QRect(g[0], g[1], g[2], g[3]).center())) {
        setGeometry(g[0], g[1], g[2], g[3]);
    }
    if (savedLayout_.maximized.value_or(true)) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveLayout();
    QMainWindow::closeEvent(event);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QColor versionColour(0, 4, 20);
    const QColor accountColour(255, 0, 0);
    statusPanes_[0] = MakePane(bar, 260, &versionColour);
    statusPanes_[1] = MakePane(bar, 80, nullptr);
    statusPanes_[2] = MakePane(bar, 450, &accountColour);
    statusPanes_[3] = MakePane(bar, 0, nullptr);
    statusPanes_[4] = MakePane(bar, 0, nullptr);
    statusPanes_[kConnectionPane] = MakePane(bar, 0, nullptr);

    const LoginFields login = session_.Login();
    statusPanes_[0]->setText(ToQt(VersionPaneText()));
    statusPanes_[1]->setText(ToQt(ForcedClosePaneText(login.serverMode, login.forcedCloseCount)));
    statusPanes_[2]->setText(ToQt(AccountPaneText(login.userName)));

    countersTimer_ = new QTimer(this);
    connect(countersTimer_, &QTimer::timeout, this, [this] {
        UpdateCounters();
        UpdateConnection();
    });
    countersTimer_->start(options_.countersInterval);
    UpdateCounters();
    UpdateConnection();
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
            [this](std::string answer) {
                if (!answer.empty()) {
                    ShowAnnouncement(ToQt(answer));
                }
            });
    });
}

void CMainFrame::UpdateConnection() {
    const FeedHealth feed = quotes_.Health();
    ConnectionFacts facts;
    facts.lastAnswerTick = feed.lastAnswerTick;
    facts.feedDownSince = feed.downSince;
    facts.subscribed = !quotes_.JoinedCodes().empty();
    facts.webUnreachable = session_.web.unreachable;
    facts.webUnreachableSince = session_.web.unreachableSince;
    facts.nowTick = options_.tick();
    facts.heldRuleCodes = trading_->HeldRuleCodes();
    facts.stopOrderProblem = trading_->StopOrderProblem();
    facts.ruleFileProblem = trading_->RuleFileProblem();
    facts.firedLegNotice = trading_->FiredLegNotice();
    const ConnectionText state = ConnectionPaneText(facts);
    QLabel* pane = statusPanes_[kConnectionPane];
    const QString text = ToQt(state.text);
    if (pane->text() != text) {
        pane->setText(text);
    }
    const QColor colour = state.trouble ? QColor(255, 0, 0) : QColor(0, 4, 20);
    if (pane->palette().color(QPalette::WindowText) != colour) {
        QPalette palette = pane->palette();
        palette.setColor(QPalette::WindowText, colour);
        pane->setPalette(palette);
    }
}

QLabel* CMainFrame::StatusPane(int index) const {
    return index >= 0 && index < kStatusPaneCount ? statusPanes_[index] : nullptr;
}

void CMainFrame::UpdateCounters() {
    const auto trades = session_.trades.Snapshot();
    const auto money = session_.money.Snapshot();
    const FrameCounters::Changes changes = counters_.Update(*trades, *money);
    if (changes.openVolumeText) {
        statusPanes_[3]->setText(ToQt(*changes.openVolumeText));
    }
    if (changes.stopLossText) {
        statusPanes_[4]->setText(ToQt(*changes.stopLossText));
    }
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
    return tradeView_ ? dynamic_cast<OrderEntryTarget*>(tradeView_->OrderEntryPanel()) : nullptr;
}

PositionsSource* CMainFrame::Positions() const {
    return lcView_ ? dynamic_cast<PositionsSource*>(lcView_->Panel(0)) : nullptr;
}

QuoteBoardRows* CMainFrame::QuoteBoard() const {
    return topView_ ? topView_->QuoteBoard() : nullptr;
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

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (layoutClock_.RepaintOnResize()) {
        RepaintPanes();
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && activeView_) {
        activeView_->RequestListRepaint();
    }
}

}  // namespace ft::ui
