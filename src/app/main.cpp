// futures-terminal: the trading terminal. `--demo` runs it against the reference back-end
// started inside this process; `--screenshot FILE` saves the main window once it has data.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <memory>

#include "platform/paths.h"
#include "simulator.h"
#include "ui/app/client_app.h"

namespace {

constexpr int kModes = 4;

// Starts the demo back-end on the fixed ports; when one is taken (another demo running), on
// free ports, which the server profiles then follow.
std::unique_ptr<fsim::Simulator> StartDemoBackEnd(const QString& dbPath, std::string* error) {
    fsim::SimOptions options;
    options.dbPath = dbPath.toStdString();
    options.seedPosition = true;
    auto sim = std::make_unique<fsim::Simulator>(options);
    if (sim->Start(error)) {
        return sim;
    }
    std::fprintf(stderr, "futures-terminal: %s; the demo back-end uses free ports instead\n",
                 error->c_str());
    options.webPorts = {0, 0, 0, 0};
    options.quotePorts = {0, 0, 0, 0};
    sim = std::make_unique<fsim::Simulator>(options);
    if (sim->Start(error)) {
        return sim;
    }
    return nullptr;
}

QString DefaultDemoDatabase() {
    return QString::fromStdString(ft::platform::XdgDataDir() + "/demo.sqlite");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("futures-terminal"));
    // The desktop entry's name ties the window to its menu entry and icon (Wayland, docks).
    QApplication::setDesktopFileName(QStringLiteral("futures-terminal"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("futures-terminal")));
    // Qt takes the locale from the environment; numbers on the wire and in files use '.'.
    std::setlocale(LC_NUMERIC, "C");
    ft::ui::LoadQtChineseTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Futures trading terminal"));
    parser.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run against the built-in demo back-end."));
    const QCommandLineOption demoDb(QStringLiteral("demo-db"),
                                    QStringLiteral("Database of the demo back-end (:memory: for "
                                                   "a fresh one)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save the main window as a PNG once it shows data, then exit."),
        QStringLiteral("FILE"));
    parser.addOptions({demo, demoDb, screenshot});
    parser.process(app);

    ft::ui::AppOptions options;
    options.screenshotFile = parser.value(screenshot);
    std::unique_ptr<fsim::Simulator> sim;
    if (parser.isSet(demo)) {
        std::string error;
        sim = StartDemoBackEnd(parser.isSet(demoDb) ? parser.value(demoDb) : DefaultDemoDatabase(),
                               &error);
        if (!sim) {
            std::fprintf(stderr, "futures-terminal: the demo back-end did not start: %s\n",
                         error.c_str());
            return 2;
        }
        options.hosts = {"127.0.0.1", "127.0.0.1", "127.0.0.1"};
        for (int mode = 0; mode < kModes; ++mode) {
            options.ports[mode] = std::make_pair(sim->QuotePort(mode), sim->WebPort(mode));
        }
        options.serverIndex = 0;
        options.account = "demo";
        options.password = "demo";
        options.autoLogin = !options.screenshotFile.isEmpty();
    }

    int code = 0;
    {
        ft::ui::CClientApp client(options);
        if (!client.InitInstance()) {
            return 0;
        }
        code = client.Run();
    }
    return code;
}
