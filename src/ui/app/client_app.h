// The application object: prepares the session, runs the login dialog and then the main frame.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/frame_rules.h"
#include "core/server_profiles.h"
#include "core/session_state.h"
#include "net/quote_book.h"
#include "net/quote_feed.h"
#include "net/table_loaders.h"
#include "platform/file_lock.h"

namespace ft::ui {

class CFLoginDlg;
class CMainFrame;

struct AppOptions {
    DeploymentHosts hosts = BuiltInHosts();
    // Replaces the fixed ports of a mode (quote, web) after the profiles are filled; the demo
    // back-end may have had to move to free ports.
    std::array<std::optional<std::pair<int, int>>, kServerModeCount> ports{};
    // Fills the login dialog before it is shown (the demo account).
    std::optional<int> serverIndex;
    std::string account;   // GBK
    std::string password;  // GBK
    bool autoLogin = false;
    // After the first tables and quotes have arrived: save the main window to this PNG and quit.
    // The window then has the fixed size below instead of being maximized.
    QString screenshotFile;
};

inline constexpr int kScreenshotWidth = 1280;
inline constexpr int kScreenshotHeight = 800;

// Qt's own Simplified Chinese texts for its standard buttons and dialogs (确定, 取消, the save
// dialog). False when the translations are not installed.
bool LoadQtChineseTranslations();

class CClientApp {
public:
    explicit CClientApp(AppOptions options = {});
    ~CClientApp();

    // The start-up sequence up to the shown main frame. False when the application must end
    // without a frame (login cancelled: exit code 0).
    bool InitInstance();
    // Runs the event loop after a successful InitInstance; returns the exit code.
    int Run();

    SessionState& Session() { return session_; }
    CMainFrame* Frame() const { return frame_.get(); }

private:
    void ReadScreen();
    // The quote feed and the heartbeat writer: they run as long as the process.
    void StartServices();
    void ScheduleScreenshot();

    AppOptions options_;
    SessionState session_;
    QuoteBook quotes_;
    TableLoader loader_{session_, quotes_};
    std::unique_ptr<QuoteFeed> quoteFeed_;
    std::unique_ptr<HeartbeatWriter> heartbeat_;
    std::unique_ptr<platform::FileLock> accountLock_;  // held until the process ends
    std::unique_ptr<CMainFrame> frame_;
    int exitCode_ = 0;
};

}  // namespace ft::ui
