// Listens to what the terminal already knows (the fills table, the trading state's step and
// its closing orders, the order panel's outcomes, the connection state) and raises one
// notification per event through the Notifier, as the trader's settings allow.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

#include "core/frame_rules.h"
#include "positions/notification_rules.h"
#include "ui/frame/notifier.h"

namespace ft {
class QuoteBook;
class SessionState;
class TradingState;
}  // namespace ft

namespace ft::ui {

class CTradeDlg1;
class TradingStepper;

class NotificationCenter : public QObject {
    Q_OBJECT
public:
    NotificationCenter(const SessionState& session, const QuoteBook& quotes,
                       TradingStepper& stepper, Notifier& notifier, const NotifyOptions& options,
                       TickSource tick, QObject* parent);

    // The order panel whose orders of unknown outcome are news.
    void WatchOrders(CTradeDlg1* panel);

    const NotifySettings& Settings() const { return settings_; }
    // Applies at once and keeps them in client.ini; false when the file could not be written.
    bool SetSettings(const NotifySettings& settings);

    // Looks at the fills and the connection state (the timer's work).
    void Check();
    // Checks run so far (for tests: a round run is one in which news would have been raised).
    int Rounds() const { return rounds_; }

private:
    void Raise(const Notification& notification);
    void CheckLink(ConnectionWatch& watch, Link link, bool down, std::int64_t downSince);

    const SessionState& session_;
    const QuoteBook& quotes_;
    TradingStepper& stepper_;
    Notifier& notifier_;
    TickSource tick_;
    NotifySettings settings_;
    std::shared_ptr<const TradeTable> trades_;
    FillWatch fills_;
    ConnectionWatch quoteLink_;
    ConnectionWatch tradeLink_;
    QTimer timer_;
    int rounds_ = 0;
};

}  // namespace ft::ui
