#include "ui/trading/order_cancel.h"

#include <optional>

#include "core/text.h"
#include "net/request_client.h"
#include "trading/order_lists.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"

namespace ft::ui {

OrderCanceller::OrderCanceller(QWidget* panel, const PaneContext& context)
    : panel_(panel), context_(context) {}

void OrderCanceller::CancelOne(const std::string& orderNo, const std::string& code,
                               const std::string& lots, std::function<bool()> stillWanted) {
    if (oneOut_) {
        return;
    }
    if (Message(panel_, CancelConfirmationText(orderNo, code, lots), Ansi("撤单"),
                MessageButtons::OkCancel) != MessageResult::Ok) {
        return;
    }
    oneOut_ = true;
    SessionState* session = &context_.session;
    const std::string body = CancelBody(orderNo);
    RunAside(
        panel_,
        [session, body]() -> std::optional<std::string> {
            std::string answer;
            if (!PostForm(*session, kCancelPath, body, answer)) {
                return std::nullopt;
            }
            return answer;
        },
        [this, stillWanted = std::move(stillWanted)](std::optional<std::string> answer) {
            oneOut_ = false;
            // A failed request ends the cancellation without a word.
            if (!answer || (stillWanted && !stillWanted())) {
                return;
            }
            if (const auto refusal = CancelRefusal(*answer)) {
                Message(panel_, *refusal);
            } else {
                context_.loader.StartReloadTables(0);
            }
        },
        panel_);
}

void OrderCanceller::CancelAll() {
    if (allOut_) {
        return;
    }
    if (Message(panel_, CancelAllQuestion(), Ansi("撤单"), MessageButtons::OkCancel) !=
        MessageResult::Ok) {
        return;
    }
    allOut_ = true;
    SessionState* session = &context_.session;
    RunAside(
        panel_,
        [session] {
            std::string answer;
            return PostForm(*session, kCancelAllPath, std::string(), answer);
        },
        [this](bool sent) {
            allOut_ = false;
            // The answer itself is not looked at.
            if (sent) {
                context_.loader.StartReloadTables(0);
            }
        },
        panel_);
}

}  // namespace ft::ui
