// CTradeDlg1's orders: the form read on the window thread, the order run aside, and the
// quick reverse that chains a closing and an opening order.
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QRadioButton>

#include "core/text.h"
#include "net/request_client.h"
#include "positions/close_split.h"
#include "ui/common/effects.h"
#include "ui/common/reconciler.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/common/trading_stepper.h"
#include "ui/common/ui_thread.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {

OrderForm CTradeDlg1::ReadForm() const {
    OrderForm form;
    // The one way a worker may see the form: a copy made on the UI thread.
    RunOnUiThread([this, &form] {
        form.code = FromQt(contract_->currentText());
        form.side = buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell;
        form.openClose = open_->isChecked()         ? OpenClose::Open
                         : closeToday_->isChecked() ? OpenClose::CloseToday
                                                    : OpenClose::Close;
        form.lots = FromQt(lots_->text());
        form.price = FromQt(price_->text());
        form.followPrice = FollowMode();
        form.confirm = confirm_->isChecked();
        form.upperLimit = FromQt(upper_->text());
        form.lowerLimit = FromQt(lower_->text());
    });
    return form;
}

void CTradeDlg1::OnOrderButton() {
    const bool byMouse = mouseClick_;
    mouseClick_ = false;
    // A click from the keyboard places an order only while the pointer is over the button,
    // as a guard against a stray key.
    if (!byMouse && !order_->rect().contains(order_->mapFromGlobal(QCursor::pos()))) {
        return;
    }
    SubmitOrder(SubmitFrom::Code);
}

void CTradeDlg1::SubmitOrder(SubmitFrom from) {
    if (from == SubmitFrom::Button) {
        OnOrderButton();
        return;
    }
    StartOrder({});
}

bool CTradeDlg1::Reconciling() const {
    return reconciler_ && reconciler_->Running();
}

void CTradeDlg1::StartOrder(Continuation then) {
    // One order at a time: a second click while one is out is refused.
    if (orderOut_) {
        return;
    }
    // A trader unsure whether the last order went would send it twice.
    if (Reconciling()) {
        Message(this, Ansi("上一笔委托结果未知，正在核对委托列表，请稍候"));
        return;
    }
    const OrderForm form = ReadForm();
    std::vector<CloseLeg> legs = PlanFormOrder(form, HeldPositions());
    StartLeg(form, std::move(legs), 0, std::move(then));
}

void CTradeDlg1::StartLeg(const OrderForm& whole, std::vector<CloseLeg> legs, std::size_t index,
                          Continuation then) {
    // A leg as the trader chose it: the form goes out exactly as they left it.
    OrderForm form = whole;
    std::string confirmation;
    if (legs.size() > 1 || legs[0].type != whole.openClose) {
        form.openClose = legs[index].type;
        form.lots = std::to_string(legs[index].lots);
        // The trader confirms the whole close once, with its split; the next leg goes on it.
        confirmation = SplitConfirmationText(whole, legs);
        form.confirm = whole.confirm && index == 0;
    }
    const LoginFields login = context_.session.Login();
    OrderAccount account{login.userName, login.serverMode, login.priceLimitBuffer,
                         context_.session.products.Snapshot()};
    orderOut_ = true;
    auto before = context_.session.orders.Snapshot();
    SessionState* session = &context_.session;
    TableLoader* loader = &context_.loader;
    QPointer<QWidget> owner(this);
    RunAside(
        this,
        [form, account, session, loader, owner, confirmation] {
            OrderSteps steps;
            steps.notify = [owner](const std::string& text) {
                // The panel is looked at on the window thread, where it may close: a pointer
                // taken here could be gone by the time the message shows.
                RunOnUiThread([&] { Message(owner.data(), text); });
            };
            steps.confirm = [owner, &confirmation](const std::string& text) {
                // A hand-over refused while the program shuts down counts as Cancel: no
                // order leaves without the trader's OK.
                MessageResult answer = MessageResult::Cancel;
                const std::string& shown = confirmation.empty() ? text : confirmation;
                RunOnUiThread([&] {
                    answer = CurrentEffects().ShowMessage(owner.data(), ToQt(shown),
                                                          QStringLiteral("确认下单"),
                                                          MessageButtons::OkCancel);
                });
                return answer == MessageResult::Ok;
            };
            steps.post = [session](const std::string& body, std::string& answer) {
                return PostRequest(*session, kOrderPath, body, answer);
            };
            steps.reloadTables = [loader] { loader->StartReloadTables(0); };
            return RunOrder(form, account, steps);
        },
        [this, whole, form, before, legs = std::move(legs), index,
         then = std::move(then)](OrderOutcome outcome) mutable {
            orderOut_ = false;
            if (OutcomeUnknown(outcome)) {
                Reconcile(form, before);
            }
            emit orderAnswered(form, static_cast<int>(outcome));
            emit orderFinished(static_cast<int>(outcome));
            if (index + 1 < legs.size()) {
                if (outcome == OrderOutcome::Accepted) {
                    // The next leg goes only now that this one has been taken.
                    StartLeg(whole, std::move(legs), index + 1, std::move(then));
                    return;
                }
                if (outcome != OrderOutcome::NotSent) {
                    Message(this, LegsNotSentText(legs[index], std::span(legs).subspan(index + 1),
                                                  OutcomeUnknown(outcome)));
                }
            }
            if (then) {
                then(outcome);
            }
        },
        this);
}

void CTradeDlg1::Reconcile(const OrderForm& form, std::shared_ptr<const OrderTable> before) {
    if (!reconciler_) {
        reconciler_ = new Reconciler(this);
    }
    TableLoader* loader = &context_.loader;
    reconciler_->Start(
        [loader] { return loader->ReloadWhenAnswering(); },
        [this, form, before = std::move(before)] {
            Message(this, OrderReconcileReport(*before, *context_.session.orders.Snapshot(), form));
        });
}

void CTradeDlg1::QuickReverse() {
    PositionsSource* positions = context_.links ? context_.links->Positions() : nullptr;
    if (!positions || !positions->HasSelectedRow() || orderOut_) {
        return;
    }
    const bool confirmWas = confirm_->isChecked();
    confirm_->setChecked(false);
    const QString lots = lots_->text();
    const std::string code = FromQt(contract_->currentText());
    const OrderSide side = buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell;
    const std::vector<HeldPosition> held = HeldPositions();
    if (!ReversiblePosition(held, code, side, FromQt(lots))) {
        Message(this, Ansi("交易失败，反手数量有误"));
        confirm_->setChecked(confirmWas);
        return;
    }
    // The closing order with the form as it is; the opening order follows its acceptance.
    StartOrder([this, confirmWas, lots, code, side](OrderOutcome outcome) {
        if (outcome != OrderOutcome::Accepted) {
            confirm_->setChecked(confirmWas);
            return;
        }
        ++reversesWaiting_;
        QTimer::singleShot(kReversePauseMs, this, [this, confirmWas, lots, code, side] {
            --reversesWaiting_;
            // The trader may have picked another contract meanwhile: the opening order is the
            // one the closed position calls for.
            if (FromQt(contract_->currentText()) != code) {
                SelectContract(code, std::string(), 1);
            }
            ChooseOpen();
            if (side == OrderSide::Buy) {
                ChooseBuy();
            } else {
                ChooseSell();
            }
            lots_->setText(lots);
            StartOrder({});
            confirm_->setChecked(confirmWas);
            lots_->clear();
            reverseReload_.start(kReverseReloadMs);
        });
    });
}

}  // namespace ft::ui
