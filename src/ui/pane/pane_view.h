// The base of the main frame's pane views and of the panels on their tabs. Each view holds one
// tab widget; the panels arrive with their own windows through SetPanel.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "core/session_state.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "ui/pane/panel_links.h"

class QTabWidget;
class QVBoxLayout;

namespace ft::ui {

class TradingStepper;

// Background of the pane views, the panels and their lists: RGB(255,255,245).
QColor PanelBackground();

// What the panels of a view are built with. The panels reach each other through `links` (the
// frame; nullptr when a panel stands alone).
struct PaneContext {
    SessionState& session;
    TableLoader& loader;
    QuoteBook& quotes;
    PanelLinks* links;
    // The trading state (positions, funds, stop rules) and its step; the frame owns it.
    TradingStepper* trading = nullptr;
};

// A tab page of a pane view. Enter and Escape pressed on one of its own controls are
// swallowed, so they neither press a default button nor close anything; every other key press
// there is first announced by keyDown (the frame passes it on to the order-entry panel) and
// then handled normally. Windows the panel owns (menus, dialogs, message boxes) keep their
// keys.
class TabPanel : public QWidget {
    Q_OBJECT
public:
    explicit TabPanel(QWidget* parent = nullptr);

    // A key press that a panel forwarded through the frame. The default ignores it.
    virtual void HandleForwardedKey(int key, Qt::KeyboardModifiers modifiers);
    // The panel holds this one list (or other widget), which always fills it.
    void SetSoleWidget(QWidget* widget);

signals:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OwnControl(QObject* object) const;
    void Watch(QObject* object);
    void Unwatch(QObject* object);

    // The press being passed up from a child to its parents, so it is announced only once.
    const QEvent* propagating_ = nullptr;
    QPointer<QWidget> firstReceiver_;
    QPointer<QWidget> sole_;
};

// Base of the five pane views: background RGB(255,255,245) and one tab widget 5 px below the
// top edge.
class CTFormView : public QWidget {
    Q_OBJECT
public:
    explicit CTFormView(const PaneContext& context, QWidget* parent = nullptr);

    const PaneContext& Context() const { return context_; }
    QTabWidget* Tabs() const { return tabs_; }
    int PanelCount() const;
    TabPanel* Panel(int index) const;
    TabPanel* CurrentPanel() const;
    // Puts `panel` on tab `index` in place of the page there, which is deleted; the tab keeps
    // its label and, when it was shown, stays shown. The view owns the panel.
    void SetPanel(int index, TabPanel* panel);

    // The frame's repaint request: announces it and repaints the lists of the panels.
    void RequestListRepaint();
    // Moves the keyboard focus into the shown panel.
    void FocusPane();

signals:
    // A key press inside one of the panels.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void listsRepaintRequested();

protected:
    // Adds a tab with an empty panel, to be replaced by the real one through SetPanel.
    TabPanel* AddTab(const QString& label);
    void SetTabTopMargin(int pixels);
    // Repaints every widget of every panel (lists included, shown or not).
    virtual void RepaintLists();

    void paintEvent(QPaintEvent* event) override;

private:
    void Adopt(TabPanel* panel);

    PaneContext context_;
    QVBoxLayout* layout_;
    QTabWidget* tabs_;
};

}  // namespace ft::ui
