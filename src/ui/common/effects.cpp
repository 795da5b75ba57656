#include "ui/common/effects.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "core/text.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/common/text_boundary.h"
#include "ui/common/ui_thread.h"

namespace ft::ui {
namespace {

std::mutex& EffectsMutex() {
    static std::mutex mutex;
    return mutex;
}
std::unique_ptr<Effects>& Installed() {
    static std::unique_ptr<Effects> effects = std::make_unique<Effects>();
    return effects;
}

constexpr qsizetype kShownCharacters = 600;
constexpr int kShownLines = 15;
constexpr qsizetype kDetailCharacters = qsizetype{64} * 1024;

}  // namespace

FittedMessage FitMessage(const QString& text) {
    qsizetype cut = text.size();
    int lines = 1;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        // A line counts once text follows its newline: a closing newline adds none.
        if (text[i] == QLatin1Char('\n') && ++lines > kShownLines) {
            cut = i;
            break;
        }
    }
    cut = std::min(cut, kShownCharacters);
    if (cut == text.size()) {
        return {text, {}};
    }
    // Never half of a surrogate pair.
    if (cut > 0 && text[cut - 1].isHighSurrogate()) {
        --cut;
    }
    // The details are a text box too: no line in them may stall the window, nor may the whole.
    QString details = CutLongLines(text);
    if (details.size() > kDetailCharacters) {
        const qsizetype end = details[kDetailCharacters - 1].isHighSurrogate()
                                  ? kDetailCharacters - 1
                                  : kDetailCharacters;
        details = details.left(end) + QStringLiteral("…");
    }
    return {text.left(cut) + QStringLiteral("…"), details};
}

MessageResult Effects::ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                                   MessageButtons buttons) {
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::OkCancel) {
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    } else if (buttons == MessageButtons::YesNo) {
        standard = QMessageBox::Yes | QMessageBox::No;
    }
    // Over the window it belongs to, never in a corner of the screen.
    QWidget* window = owner ? owner->window() : QApplication::activeWindow();
    const FittedMessage fitted = FitMessage(text);
    QMessageBox box(QMessageBox::NoIcon, caption, fitted.shown, standard, window);
    // A back-end's refusal is shown as the text it is: as rich text, "<a href=…>" in it would be
    // a link the box opens in the browser.
    box.setTextFormat(Qt::PlainText);
    if (!fitted.details.isEmpty()) {
        box.setDetailedText(fitted.details);
    }
    if (window) {
        box.adjustSize();
        const QRect over = window->frameGeometry();
        box.move(over.center() - QPoint(box.width() / 2, box.height() / 2));
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        default:
            return MessageResult::Ok;
    }
}

QString Effects::AskSaveFileName(QWidget* owner, const QString& proposedName, const QString& filter,
                                 const QString& defaultSuffix) {
    QFileDialog dialog(owner ? owner->window() : QApplication::activeWindow(), QString(),
                       proposedName, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

bool Effects::OpenUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

bool Effects::StartUpdater(const std::string& commandLine) {
    return platform::StartProgram(platform::ProgramFile("update"), commandLine);
}

void Effects::ExitProcess(int code) {
    std::_Exit(code);
}

Effects& CurrentEffects() {
    std::lock_guard lock(EffectsMutex());
    return *Installed();
}

void SetEffects(std::unique_ptr<Effects> effects) {
    std::lock_guard lock(EffectsMutex());
    Installed() = effects ? std::move(effects) : std::make_unique<Effects>();
}

MessageResult Message(QWidget* owner, const std::string& gbkText, MessageButtons buttons) {
    return Message(owner, gbkText, Ansi("通知"), buttons);
}

MessageResult Message(QWidget* owner, const std::string& gbkText, const std::string& gbkCaption,
                      MessageButtons buttons) {
    MessageResult result = MessageResult::Ok;
    RunOnUiThread([&] {
        result = CurrentEffects().ShowMessage(owner, ToQt(gbkText), ToQt(gbkCaption), buttons);
    });
    return result;
}

}  // namespace ft::ui
