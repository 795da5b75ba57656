// "提醒设置" (系统 → 提醒设置): a check box per kind of notification, and one for the sound of
// the kinds that have one. A change applies at once and is kept in client.ini.
#pragma once

#include <QDialog>
#include <array>

#include "positions/notification_rules.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace ft::ui {

class NotificationCenter;

class NotifySettingsDialog : public QDialog {
    Q_OBJECT
public:
    NotifySettingsDialog(NotificationCenter& center, QWidget* parent = nullptr);

    QCheckBox* NotifyBox(NotifyKind kind) const { return notify_[static_cast<int>(kind)]; }
    // Null for kinds without a sound.
    QCheckBox* SoundBox(NotifyKind kind) const { return sound_[static_cast<int>(kind)]; }
    QPushButton* CloseButton() const { return close_; }
    // Says when the settings could not be kept.
    QLabel* Problem() const { return problem_; }

private:
    void Apply();

    NotificationCenter& center_;
    std::array<QCheckBox*, kNotifyKindCount> notify_{};
    std::array<QCheckBox*, kNotifyKindCount> sound_{};
    QLabel* problem_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace ft::ui
