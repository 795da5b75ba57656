#include "ui/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include "core/text.h"
#include "ui/app/effects.h"
#include "ui/frame/announcement_dialog.h"
#include "ui/text_boundary.h"

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

}  // namespace

CMainFrame::CMainFrame(SessionState& session, TableLoader& loader, QuoteBook& quotes,
                       std::function<void()> startQuoteFeed, FrameOptions options, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      loader_(loader),
      quotes_(quotes),
      options_(std::move(options)),
      refreshGate_(options_.tick),
      layoutClock_(options_.tick) {
    const LoginFields login = session_.Login();
    if (auto title = FrameTitle(static_cast<int>(login.serverMode), login.displayName)) {
        setWindowTitle(ToQt(*title));
    } else {
        setWindowTitle(QGuiApplication::applicationDisplayName());
    }
    resize(1024, 690);

    BuildMenu();
    BuildClientArea();
    BuildStatusBar();
    StartThreads(std::move(startQuoteFeed));

    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

CMainFrame::~CMainFrame() {
    // Destroying the child widgets moves the focus; by then this is no longer a frame.
    disconnect(focusConnection_);
    announcement_.reset();
    heartbeat_.reset();
}

void CMainFrame::BuildMenu() {
    QMenu* system = menuBar()->addMenu(QStringLiteral("系统(&F)"));
    system->addAction(QStringLiteral("历史交易记录查询"), this, &CMainFrame::OnSettlementQuery);
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
    const PaneContext context{session_, loader_, quotes_, this};

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

    setCentralWidget(mainSplitter_);
    activeView_ = topView_;
    layoutClock_.MarkLayoutReady();
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

    const LoginFields login = session_.Login();
    statusPanes_[0]->setText(ToQt(VersionPaneText()));
    statusPanes_[1]->setText(ToQt(ForcedClosePaneText(login.serverMode, login.forcedCloseCount)));
    statusPanes_[2]->setText(ToQt(AccountPaneText(login.userName)));

    countersTimer_ = new QTimer(this);
    connect(countersTimer_, &QTimer::timeout, this, &CMainFrame::UpdateCounters);
    countersTimer_->start(options_.countersInterval);
    UpdateCounters();
}

void CMainFrame::StartThreads(std::function<void()> startQuoteFeed) {
    if (startQuoteFeed) {
        startQuoteFeed();
    }
    announcement_ = std::make_unique<AnnouncementCheck>(
        session_, options_.announcementDelay, [this](const std::string& answer) {
            // Widgets live on the UI thread: hand the text over and let the check end.
            // Waiting here for the dialog could deadlock with a UI thread that is closing
            // the frame and waiting for this thread.
            const QString text = ToQt(answer);
            QMetaObject::invokeMethod(
                this, [this, text] { ShowAnnouncement(text); }, Qt::QueuedConnection);
        });
    heartbeat_ =
        std::make_unique<HeartbeatWriter>(session_.serverMode(), options_.heartbeatInterval);
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
    // Opens the settlement statement dialog once it exists.
}

void CMainFrame::OnChangePassword() {
    // Opens the password dialog once it exists.
}

void CMainFrame::OnExit() {
    CurrentEffects().ExitProcess(0);
}

void CMainFrame::OnBankTransfer() {
    // Opens the transfer dialog once it exists; when it closes with OK:
    // loader_.StartReloadTables(0).
}

void CMainFrame::OnRefresh() {
    if (refreshGate_.TryRefresh()) {
        loader_.StartReloadTables(0);
    }
}

void CMainFrame::OnChat() {
    CurrentEffects().OpenUrl(ToQt(session_.chatUrl));
}

void CMainFrame::ForwardKey(int key, Qt::KeyboardModifiers modifiers) {
    if (CTPanel* panel = tradeView_ ? tradeView_->OrderEntryPanel() : nullptr) {
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
