// Runs the trading state's step on the UI thread every 100 ms: the positions follow their
// table and their quotes, the funds are reloaded when the positions moved, the closing orders
// of fired stop rules are sent aside, and the views that render the state are told.
#pragma once

#include <QObject>
#include <QTimer>

#include "net/table_loaders.h"
#include "positions/trading_state.h"

namespace ft::ui {

class TradingStepper : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    TradingStepper(TradingState& state, TableLoader& loader, QObject* parent = nullptr);

    TradingState& State() const { return state_; }
    // One step now (the timer's work).
    void Step();
    const TradingStep& LastStep() const { return last_; }

signals:
    // A step has run: the views render the state (LastStep says what changed).
    void stepped();
    // The answer to a fired rule's closing order has been handled (once per order sent: a
    // close split by day answers for each of its legs).
    void closeOrderAnswered(bool accepted);

private:
    // Sends `legs[next]`; the leg after it goes once this one is accepted.
    void SendAside(std::vector<CloseOrder> legs, std::size_t next);

    TradingState& state_;
    TableLoader& loader_;
    QTimer timer_;
    TradingStep last_;
};

}  // namespace ft::ui
