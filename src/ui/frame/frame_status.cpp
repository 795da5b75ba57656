// CMainFrame's status bar: version, forced closes, account, the two counters, and the
// connection pane with the quote feed, the web back-end and the stop rules.
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "core/text.h"
#include "ui/common/reconciler.h"
#include "ui/common/text_boundary.h"
#include "ui/frame/keyboard_trading.h"
#include "ui/frame/main_frame.h"

namespace ft::ui {
namespace {

QLabel* MakePane(QStatusBar* bar, int width, const QColor* colour) {
    auto* pane = new QLabel(bar);
    pane->setTextFormat(Qt::PlainText);  // back-end texts, shown as they are
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

    webProbe_ = new Reconciler(this);
    countersTimer_ = new QTimer(this);
    connect(countersTimer_, &QTimer::timeout, this, [this] {
        UpdateCounters();
        UpdateConnection();
    });
    countersTimer_->start(options_.countersInterval);
    UpdateCounters();
    UpdateConnection();
}

void CMainFrame::UpdateConnection() {
    // Any request without an answer (an order as much as a reload) marks the back-end
    // unreachable; it is asked again until it answers, and then the tables are read again, so
    // the pane clears and the lists show the truth without the trader doing anything.
    if (session_.web.unreachable && !webProbe_->Running()) {
        TableLoader* loader = &loader_;
        webProbe_->Start([loader] { return loader->Answers(); },
                         [loader] { loader->StartReloadTables(0); });
    }
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
    facts.keyNotice = keyboard_ ? keyboard_->Notice() : std::string();
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

}  // namespace ft::ui
