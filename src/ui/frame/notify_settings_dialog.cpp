#include "ui/frame/notify_settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/text_boundary.h"
#include "ui/frame/notification_center.h"

namespace ft::ui {

NotifySettingsDialog::NotifySettingsDialog(NotificationCenter& center, QWidget* parent)
    : QDialog(parent), center_(center) {
    setWindowTitle(QStringLiteral("提醒设置"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("桌面提醒")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("声音")), 0, 1);
    const NotifySettings& settings = center_.Settings();
    for (int i = 0; i < kNotifyKindCount; ++i) {
        const auto kind = static_cast<NotifyKind>(i);
        notify_[i] = new QCheckBox(ToQt(NotifyKindLabel(kind)));
        notify_[i]->setChecked(settings.notify[i]);
        grid->addWidget(notify_[i], i + 1, 0);
        connect(notify_[i], &QCheckBox::toggled, this, &NotifySettingsDialog::Apply);
        if (KindHasSound(kind)) {
            sound_[i] = new QCheckBox(QStringLiteral("提示音"));
            sound_[i]->setChecked(settings.sound[i]);
            sound_[i]->setEnabled(settings.notify[i]);
            grid->addWidget(sound_[i], i + 1, 1);
            connect(sound_[i], &QCheckBox::toggled, this, &NotifySettingsDialog::Apply);
        }
    }
    problem_ = new QLabel;
    QPalette palette = problem_->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    problem_->setPalette(palette);
    close_ = new QPushButton(QStringLiteral("关闭"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(problem_);
    layout->addLayout(buttons);
}

void NotifySettingsDialog::Apply() {
    NotifySettings settings = center_.Settings();
    for (int i = 0; i < kNotifyKindCount; ++i) {
        settings.notify[i] = notify_[i]->isChecked();
        if (sound_[i]) {
            settings.sound[i] = sound_[i]->isChecked();
            sound_[i]->setEnabled(settings.notify[i]);
        }
    }
    problem_->setText(
        center_.SetSettings(settings)
            ? QString()
            : QStringLiteral("设置已生效，但无法写入 client.ini，下次启动将恢复原设置"));
}

}  // namespace ft::ui
