#include "ui/frame/notification_center.h"

#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/common/text_boundary.h"
#include "ui/common/trading_stepper.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {
namespace {

std::string ClockText(std::time_t t) {
    const std::tm local = platform::LocalTime(t);
    return Format("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

std::string SettingsPath() {
    return platform::SettingsFile("client.ini");
}

}  // namespace

NotificationCenter::NotificationCenter(const SessionState& session, const QuoteBook& quotes,
                                       TradingStepper& stepper, Notifier& notifier,
                                       const NotifyOptions& options, TickSource tick,
                                       QObject* parent)
    : QObject(parent),
      session_(session),
      quotes_(quotes),
      stepper_(stepper),
      notifier_(notifier),
      tick_(std::move(tick)),
      settings_(ReadNotifySettings(SettingsPath())),
      // The fills loaded at login are known to the trader already.
      trades_(session.trades.Snapshot()),
      fills_(*trades_),
      quoteLink_(static_cast<std::uint64_t>(options.settle.count())),
      tradeLink_(static_cast<std::uint64_t>(options.settle.count())) {
    connect(&stepper_, &TradingStepper::stepped, this, [this] {
        for (const FiredLeg& leg : stepper_.LastStep().fired) {
            Raise(RuleFiredNotification(leg));
        }
    });
    connect(&stepper_, &TradingStepper::closeOrderAnswered, this, [this](bool accepted) {
        if (!accepted) {
            const std::string problem = stepper_.State().StopOrderProblem();
            Raise(stepper_.LastCloseUnknown() ? CloseUnknownNotification(problem)
                                              : CloseFailedNotification(problem));
        }
    });
    connect(&timer_, &QTimer::timeout, this, &NotificationCenter::Check);
    timer_.start(options.interval);
}

void NotificationCenter::WatchOrders(CTradeDlg1* panel) {
    if (!panel) {
        return;
    }
    connect(panel, &CTradeDlg1::orderAnswered, this, [this](const OrderForm& form, int outcome) {
        if (OutcomeUnknown(static_cast<OrderOutcome>(outcome))) {
            Raise(OrderUnknownNotification(form));
        }
    });
}

bool NotificationCenter::SetSettings(const NotifySettings& settings) {
    settings_ = settings;
    return WriteNotifySettings(settings_, SettingsPath());
}

void NotificationCenter::Check() {
    ++rounds_;
    auto trades = session_.trades.Snapshot();
    if (trades != trades_) {
        trades_ = std::move(trades);
        // Fills that came while their kind was off are not told later either.
        const std::vector<TradeRecord> fresh = fills_.NewFills(*trades_);
        if (!fresh.empty()) {
            Raise(FillNotification(fresh));
        }
    }
    const FeedHealth feed = quotes_.Health();
    CheckLink(quoteLink_, Link::Quotes, feed.downSince != 0, feed.downSince);
    CheckLink(tradeLink_, Link::Trade, session_.web.unreachable.load(),
              session_.web.unreachableSince.load());
}

void NotificationCenter::CheckLink(ConnectionWatch& watch, Link link, bool down,
                                   std::int64_t downSince) {
    const ConnectionWatch::Event event = watch.Update(down, tick_());
    if (event == ConnectionWatch::Event::None) {
        return;
    }
    const bool lost = event == ConnectionWatch::Event::Lost;
    const std::time_t when =
        lost && downSince != 0 ? static_cast<std::time_t>(downSince) : std::time(nullptr);
    Raise(ConnectionNotification(link, lost, ClockText(when)));
}

void NotificationCenter::Raise(const Notification& notification) {
    if (!settings_.Notifies(notification.kind)) {
        return;
    }
    notifier_.Notify(notification.kind, ToQt(notification.title), ToQt(notification.text));
    if (settings_.Sounds(notification.kind)) {
        notifier_.PlaySound(notification.kind);
    }
}

}  // namespace ft::ui
