// Every effect a test must observe or stop goes through this one replaceable seam: message
// boxes, the save-file dialog, opening a web page, starting the updater, ending the process.
#pragma once

#include <QString>
#include <memory>
#include <string>

class QWidget;

namespace ft::ui {

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageResult { Ok, Cancel, Yes, No };

class Effects {
public:
    virtual ~Effects() = default;
    virtual MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                                      MessageButtons buttons);
    // Empty when the trader cancels.
    virtual QString AskSaveFileName(QWidget* owner, const QString& proposedName,
                                    const QString& filter, const QString& defaultSuffix);
    virtual bool OpenUrl(const QString& url);
    // Starts the program "update" beside the executable with the back-end's command line.
    virtual bool StartUpdater(const std::string& commandLine);
    // Ends the process at once, without closing windows. (Only a test's replacement returns;
    // callers return right after it.)
    virtual void ExitProcess(int code);
};

// A message as its box shows it: a text longer than a box can hold on the screen (a back-end's
// page-long refusal, a pasted page quoted back) is cut at a line or character bound and ends in
// "…"; the whole text is then the box's details, so nothing is lost and the button stays in
// reach. `details` is empty when the text fits.
struct FittedMessage {
    QString shown;
    QString details;
};
FittedMessage FitMessage(const QString& text);

Effects& CurrentEffects();
// Installs `effects` (tests); nullptr restores the real ones.
void SetEffects(std::unique_ptr<Effects> effects);

// A message box from any thread: shown on the UI thread, the caller waits for the answer.
// The caption is "通知" unless given.
MessageResult Message(QWidget* owner, const std::string& gbkText,
                      MessageButtons buttons = MessageButtons::Ok);
MessageResult Message(QWidget* owner, const std::string& gbkText, const std::string& gbkCaption,
                      MessageButtons buttons);

}  // namespace ft::ui
