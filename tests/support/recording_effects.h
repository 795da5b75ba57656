// Effects that a test records and answers instead of showing dialogs or ending the process.
#pragma once

#include <QApplication>
#include <QString>
#include <atomic>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "ui/common/effects.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace ft::testing {

struct RecordedEffects {
    std::mutex mutex;
    std::vector<QString> messages;  // "caption|text"
    std::vector<QString> openedUrls;
    std::vector<std::string> updaterCommands;
    std::vector<int> exitCodes;
    ui::MessageResult answer = ui::MessageResult::Ok;
    bool openUrlWorks = true;  // false: as on a machine without a browser
    QString saveFileName;

    std::vector<QString> Messages() {
        std::lock_guard lock(mutex);
        return messages;
    }
};

class RecordingEffects : public ui::Effects {
public:
    explicit RecordingEffects(RecordedEffects& record) : record_(record) {}
    ui::MessageResult ShowMessage(QWidget*, const QString& text, const QString& caption,
                                  ui::MessageButtons) override {
        std::lock_guard lock(record_.mutex);
        record_.messages.push_back(caption + "|" + text);
        return record_.answer;
    }
    QString AskSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        std::lock_guard lock(record_.mutex);
        return record_.saveFileName;
    }
    bool OpenUrl(const QString& url) override {
        std::lock_guard lock(record_.mutex);
        record_.openedUrls.push_back(url);
        return record_.openUrlWorks;
    }
    bool StartUpdater(const std::string& commandLine) override {
        std::lock_guard lock(record_.mutex);
        record_.updaterCommands.push_back(commandLine);
        return true;
    }
    void ExitProcess(int code) override {
        std::lock_guard lock(record_.mutex);
        record_.exitCodes.push_back(code);
    }

private:
    RecordedEffects& record_;
};

// One offscreen QApplication for the whole test executable.
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace ft::testing
