// CMainFrame's notifications: the tray (or the seam a test puts in its place), the watch that
// raises them and the settings dialog "提醒设置".
#include "ui/common/trading_stepper.h"
#include "ui/frame/main_frame.h"
#include "ui/frame/notification_center.h"
#include "ui/frame/notify_settings_dialog.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {

void CMainFrame::BuildNotifications() {
    notifier_ = options_.notify.notifier;
    if (!notifier_) {
        auto* tray = new TrayNotifier(this, [this] { OnExit(); });
        // The frame owns the tray through its children; the seam only borrows it.
        notifier_ = std::shared_ptr<Notifier>(std::shared_ptr<Notifier>(), tray);
    }
    notices_ = new NotificationCenter(session_, quotes_, *stepper_, *notifier_, options_.notify,
                                      options_.tick, this);
    notices_->WatchOrders(qobject_cast<CTradeDlg1*>(tradeView_->OrderEntryPanel()));
}

void CMainFrame::OnNotifySettings() {
    // Not modal: the settings apply while the trader keeps trading.
    if (!notifyDialog_) {
        notifyDialog_ = new NotifySettingsDialog(*notices_, this);
        notifyDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    notifyDialog_->show();
    notifyDialog_->raise();
    notifyDialog_->activateWindow();
}

NotifySettingsDialog* CMainFrame::NotifyDialog() const {
    return notifyDialog_;
}

}  // namespace ft::ui
