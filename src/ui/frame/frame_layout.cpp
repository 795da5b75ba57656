// CMainFrame's layout keeping: the window's place and the splitters, restored from and
// written to layout.ini (lists keep their own column widths), and the repaints a resize or an
// activation asks for.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QTimer>

#include "ui/frame/main_frame.h"

namespace ft::ui {
namespace {

// Names of the splitters in layout.ini (lists keep their own column widths).
constexpr const char* kMainSplitter = "main";
constexpr const char* kMiddleSplitter = "middle";
constexpr const char* kBottomSplitter = "bottom";

std::vector<int> SizesOf(const QSplitter& splitter) {
    const QList<int> sizes = splitter.sizes();
    return std::vector<int>(sizes.begin(), sizes.end());
}

}  // namespace

void CMainFrame::RestoreLayout() {
    // A drag sends a stream of moves; the file is written once it has stopped.
    saveTimer_ = new QTimer(this);
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(400);
    connect(saveTimer_, &QTimer::timeout, this, [this] { SaveLayout(); });
    savedLayout_ = ReadLayout({kMainSplitter, kMiddleSplitter, kBottomSplitter}, {});
    const std::pair<const char*, QSplitter*> splitters[] = {{kMainSplitter, mainSplitter_},
                                                            {kMiddleSplitter, middleSplitter_},
                                                            {kBottomSplitter, bottomSplitter_}};
    for (const auto& [name, splitter] : splitters) {
        auto it = savedLayout_.splitters.find(name);
        if (it != savedLayout_.splitters.end() &&
            static_cast<int>(it->second.size()) == splitter->count()) {
            splitter->setSizes(QList<int>(it->second.begin(), it->second.end()));
        }
        // A dragged splitter is kept soon after: 退出 ends the process without closing windows.
        connect(splitter, &QSplitter::splitterMoved, saveTimer_, qOverload<>(&QTimer::start));
    }
}

bool CMainFrame::SaveLayout() const {
    saveTimer_->stop();
    SavedLayout layout;
    layout.maximized = isMaximized();
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        layout.normalGeometry = {normal.x(), normal.y(), normal.width(), normal.height()};
    }
    layout.splitters[kMainSplitter] = SizesOf(*mainSplitter_);
    layout.splitters[kMiddleSplitter] = SizesOf(*middleSplitter_);
    layout.splitters[kBottomSplitter] = SizesOf(*bottomSplitter_);
    return WriteLayout(layout);
}

void CMainFrame::ShowAsSaved() {
    const auto& g = savedLayout_.normalGeometry;
    // A place on a screen that is no longer there is not restored.
    if (g.size() == 4 && g[2] > 100 && g[3] > 100 &&
        QGuiApplication::screenAt(QRect(g[0], g[1], g[2], g[3]).center())) {
        setGeometry(g[0], g[1], g[2], g[3]);
    }
    if (savedLayout_.maximized.value_or(true)) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveLayout();
    QMainWindow::closeEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (layoutClock_.RepaintOnResize()) {
        RepaintPanes();
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && activeView_) {
        activeView_->RequestListRepaint();
    }
}

}  // namespace ft::ui
