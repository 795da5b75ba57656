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
        SendAside(leg.legs.empty() ? std::vector<CloseOrder>{leg.order} : leg.legs, 0);
    }
    emit stepped();
}

void TradingStepper::SendAside(std::vector<CloseOrder> legs, std::size_t next) {
    state_.CloseOrderSent();
    const SessionState* session = &state_.Session();
    const CloseOrder order = legs[next];
    RunAside(
        this, [session, order] { return SendCloseOrder(*session, order); },
        [this, legs = std::move(legs), next](const CloseOutcome& outcome) mutable {
            const std::string clock = ClockNow();
            state_.CloseOrderAnswered(legs[next], outcome, clock);
            const bool more = next + 1 < legs.size();
            if (more && !outcome.accepted) {
                // Without the first leg the rest is not what the rule asked for.
                state_.CloseLegsNotSent(std::span(legs).subspan(next + 1));
            }
            lastCloseUnknown_ = outcome.unknown;
            emit closeOrderAnswered(outcome.accepted);
            if (more && outcome.accepted) {
                SendAside(std::move(legs), next + 1);
            }
        });
}

}  // namespace ft::ui
