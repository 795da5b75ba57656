// The shared set-up of the widget tests: temporary program and system-root directories, the
// effects seam recording instead of showing, a session with its loader and quote book, and on
// request the reference back-end on free ports with every server profile pointed at it, the
// quote feed and the main frame.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "core/session_state.h"
#include "net/quote_book.h"
#include "net/quote_feed.h"
#include "net/request_client.h"
#include "net/table_loaders.h"
#include "simulator.h"
#include "support/recording_effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/ui_thread.h"
#include "ui/controls/list_ctrl.h"
#include "ui/frame/main_frame.h"

namespace ft::testing {

// The main frame with its announcement recorded instead of shown modally.
class TestFrame : public ui::CMainFrame {
public:
    using ui::CMainFrame::CMainFrame;
    QStringList announcements;

protected:
    void ShowAnnouncement(const QString& text) override { announcements << text; }
};

// For one test: requests give a stalled back-end up after 1.5 s instead of half a minute,
// so an answer that never comes is seen without a long wait.
struct ShortStallTimeout {
    std::chrono::milliseconds was = DefaultAnswerTimeout();
    ShortStallTimeout() { SetDefaultAnswerTimeout(std::chrono::milliseconds(1500)); }
    ~ShortStallTimeout() { SetDefaultAnswerTimeout(was); }
    ShortStallTimeout(const ShortStallTimeout&) = delete;
    ShortStallTimeout& operator=(const ShortStallTimeout&) = delete;
};

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("ft-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
               std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(ProgramDir());
        std::filesystem::create_directories(SystemRoot());
        setenv("FT_PROGRAM_DIR", ProgramDir().c_str(), 1);
        setenv("FT_SYSTEM_ROOT", SystemRoot().c_str(), 1);
        ui::SetEffects(std::make_unique<RecordingEffects>(effects));
    }

    void TearDown() override {
        frame.reset();
        feed.reset();
        // Requests still out end quickly once the back-end is gone.
        sim.reset();
        ui::FinishAsideWork();
        // A reload's pause before its second pass would hold every teardown up to 2 s.
        loader.CutPauses();
        loader.WaitIdle();
        ui::SetEffects(nullptr);
        unsetenv("FT_PROGRAM_DIR");
        unsetenv("FT_SYSTEM_ROOT");
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path ProgramDir() const { return dir / "program"; }
    std::filesystem::path SystemRoot() const { return dir / "root"; }

    static fsim::SimOptions BackEndOptions() {
        fsim::SimOptions options;
        options.webPorts = {0, 0, 0, 0};
        options.quotePorts = {0, 0, 0, 0};
        options.walkIntervalMs = 100;
        options.rngSeed = 3;
        return options;
    }

    // The reference back-end on free ports, with every profile of the session pointed at it.
    void StartBackEnd(const fsim::SimOptions& options = BackEndOptions()) {
        sim = std::make_unique<fsim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        for (int mode = 0; mode < kServerModeCount; ++mode) {
            ServerProfile& p = session.profiles[static_cast<std::size_t>(mode)];
            p.webHost = p.quoteHost = "127.0.0.1";
            p.webPort = std::to_string(sim->WebPort(mode));
            p.quotePort = std::to_string(sim->QuotePort(mode));
        }
    }
    fsim::Control& BackEnd(int mode = 0) { return sim->control(mode); }

    // The session as a login of `user` leaves it (without the login dialog).
    void LogInSession(const std::string& user = "demo", const std::string& password = "demo",
                      ServerMode mode = ServerMode::IntradayFirstRound) {
        LoginFields login;
        login.userName = user;
        login.password = password;
        login.serverMode = mode;
        session.SetLogin(login);
    }

    // Logs in to the back-end's demo account, loads the tables and opens the main frame with
    // the quote feed running; waits until the quote board shows its rows.
    void OpenDemoFrame(const ui::FrameOptions& options = {}, QuoteTimings timings = {}) {
        if (!sim) {
            StartBackEnd();
        }
        LogInSession();
        loader.LoadAllTables();
        feed = std::make_unique<QuoteFeed>(
            session, quotes, [this] { loader.StartReloadTables(100); }, timings);
        frame = std::make_unique<TestFrame>(
            session, loader, quotes, [this] { feed->Start(); }, options);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    // Clicks and double-clicks on a list's cell, as the trader does.
    static void ClickRow(ui::CListCtrlCl& list, int row, int column = 0,
                         Qt::MouseButton button = Qt::LeftButton) {
        list.scrollTo(list.model()->index(row, column));
        const QRect cell = list.visualRect(list.model()->index(row, column));
        QTest::mouseClick(list.viewport(), button, Qt::NoModifier, cell.center());
    }
    static void DoubleClickRow(ui::CListCtrlCl& list, int row, int column = 0) {
        list.scrollTo(list.model()->index(row, column));
        const QRect cell = list.visualRect(list.model()->index(row, column));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    template <typename Condition>
    static bool WaitFor(Condition condition, int ms = 5000) {
        return QTest::qWaitFor(condition, ms);
    }

    // Waits until the work sent aside and the loader's workers are done and their results have
    // reached the window: the point at which to check that nothing more happened, without
    // guessing a pause. Widgets' own timers are not waited for.
    bool Settle(int ms = 10000) {
        return WaitFor([this] { return AsideSettled() && loader.Idle(); }, ms);
    }
    // The same for the work sent aside alone (orders, cancellations), without waiting out a
    // table reload's pause.
    bool SettleAside(int ms = 10000) {
        return WaitFor([] { return AsideSettled(); }, ms);
    }
    static bool AsideSettled() {
        return ui::AsideJobs().Running() == 0 && !ui::UiThreadWorkWaiting();
    }

    std::filesystem::path dir;
    RecordedEffects effects;
    std::unique_ptr<fsim::Simulator> sim;
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    std::unique_ptr<QuoteFeed> feed;
    std::unique_ptr<TestFrame> frame;
};

}  // namespace ft::testing
