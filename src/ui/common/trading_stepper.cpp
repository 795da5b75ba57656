#include "ui/common/trading_stepper.h"

#include "core/text.h"
#include "platform/system.h"
#include "ui/common/run_aside.h"

namespace ft::ui {
namespace {

std::string ClockNow() {
    const std::tm t = platform::LocalNow();
    return Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
}

}  // namespace

TradingStepper::TradingStepper(TradingState& state, TableLoader& loader, QObject* parent)
    : QObject(parent), state_(state), loader_(loader) {
    connect(&timer_, &QTimer::timeout, this, &TradingStepper::Step);
    timer_.start(kTickMs);
}

void TradingStepper::Step() {
    last_ = state_.Step(platform::TickCount());
    if (last_.fundsChanged) {
        // The funds follow the positions; the request runs aside.
        loader_.StartReloadMoney();
    }
    for (const FiredLeg& leg : last_.fired) {
        SendAside(leg.order);
    }
    emit stepped();
}

void TradingStepper::SendAside(const CloseOrder& order) {
    state_.CloseOrderSent();
    const SessionState* session = &state_.Session();
    RunAside(
        this, [session, order] { return SendCloseOrder(*session, order); },
        [this, order](CloseOutcome outcome) {
            state_.CloseOrderAnswered(order, outcome, ClockNow());
            emit closeOrderAnswered(outcome.accepted);
        });
}

}  // namespace ft::ui
