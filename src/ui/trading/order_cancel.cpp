#include "ui/trading/order_cancel.h"

#include "core/text.h"
#include "net/request_client.h"
#include "net/table_loaders.h"
#include "trading/order_lists.h"
#include "ui/common/effects.h"
#include "ui/common/reconciler.h"
#include "ui/common/run_aside.h"

namespace ft::ui {
namespace {

struct CancelAnswer {
    PostResult sent;
    std::string answer;
};

}  // namespace

OrderCanceller::OrderCanceller(QWidget* panel, const PaneContext& context)
    : panel_(panel), context_(context), reconciler_(new Reconciler(panel)) {}

bool OrderCanceller::Refused() {
    if (!oneOut_ && !allOut_) {
        return false;
    }
    Message(panel_, Ansi("上一笔撤单尚未返回结果，请稍候再撤"));
    return true;
}

void OrderCanceller::CancelOne(const std::string& orderNo, const std::string& code,
                               const std::string& lots) {
    if (Refused()) {
        return;
    }
    if (Message(panel_, CancelConfirmationText(orderNo, code, lots), Ansi("撤单"),
                MessageButtons::OkCancel) != MessageResult::Ok) {
        return;
    }
    oneOut_ = true;
    Send(kCancelPath, CancelBody(orderNo), orderNo);
}

void OrderCanceller::CancelAll() {
    if (Refused()) {
        return;
    }
    if (Message(panel_, CancelAllQuestion(), Ansi("撤单"), MessageButtons::OkCancel) !=
        MessageResult::Ok) {
        return;
    }
    allOut_ = true;
    Send(kCancelAllPath, std::string(), std::string());
}

void OrderCanceller::Send(const char* path, const std::string& body, const std::string& orderNo) {
    SessionState* session = &context_.session;
    RunAside(
        panel_,
        [session, path, body] {
            CancelAnswer a;
            a.sent = PostRequest(*session, path, body, a.answer);
            return a;
        },
        [this, orderNo](const CancelAnswer& a) {
            oneOut_ = allOut_ = false;
            // The answer is shown and the tables reloaded whichever tab is in front: a hidden
            // refusal would leave the trader believing the order gone.
            if (a.sent.ok()) {
                if (const auto refusal = CancelRefusal(a.answer)) {
                    Message(panel_, *refusal);
                } else {
                    context_.loader.StartReloadTables(0);
                }
                return;
            }
            if (a.sent.unknown()) {
                Message(panel_,
                        Ansi("撤单结果未知（交易服务器未应答），请核对委托列表；连接恢复后将"
                             "自动刷新"));
                Reconcile(orderNo);
                return;
            }
            if (a.sent.status == PostStatus::HttpError) {
                Message(panel_,
                        Ansi("撤单失败（") + HttpStatusText(a.sent) + Ansi("），请核对委托列表"));
                context_.loader.StartReloadTables(0);
                return;
            }
            Message(panel_, Ansi("撤单失败，无法连接交易服务器"));
        },
        panel_);
}

void OrderCanceller::Reconcile(const std::string& orderNo) {
    TableLoader* loader = &context_.loader;
    reconciler_->Start(
        [loader] { return loader->ReloadWhenAnswering(); },
        [this, orderNo] {
            Message(panel_, CancelReconcileReport(*context_.session.orders.Snapshot(), orderNo));
        });
}

}  // namespace ft::ui
