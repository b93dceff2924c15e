// gui: the main window (frmparam). It creates every control under its own name,
// draws a MainWindowModel, and turns clicks, keys and menu entries into signals;
// the application decides what they do.
//
// Control arrays carry their index in the name: lbPanel(1..5) -> "lbPanel1".."lbPanel5".
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QString>

#include "gui/main_window_model.h"

namespace dravio::gui {

class CtlBarGraph;

// Fichier -> Rejouer, an entry of this program's own (not in the model).
inline constexpr int kMnRejouer = 3651;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowModel& model, QWidget* parent = nullptr);

    // Draws every control of `model`.
    void render(const MainWindowModel& model);
    // The link indicator alone (it changes from the link thread's reports).
    void showShape1(quint32 bgr);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // Once set, closing the window closes it; before, a close asks to quit.
    void allowClose() { closeAllowed_ = true; }

signals:
    void quitRequested();
    void preferencesRequested();
    void testRequested();
    void tempoChanged(int tempo);
    void tempoStep(int delta);
    void aboutRequested();
    void helpRequested();
    void webRequested();
    void resized();
    // Commands that reach the link.
    void initRequested();
    void reinitRequested();
    void parametreRequested();
    void frameDoubleClicked(const QString& frame);
    void checkToggled(const QString& name, bool checked);
    void trimmerScrolled(int value);
    void trimmerStep(int delta);
    void trimmerReset();
    void trimmerStore();
    void stepperTest();
    // Windows opened from the menus.
    void graphToggled();
    void idleToggled();
    void mapRequested();
    void statusRequested();
    void identificationRequested();
    void diagRequested();       // cddiag, mndiag (F4)
    void trimmer15Requested();  // cdTrimer15 (F8), mnTrim15M
    void trafficRequested();
    void traceRequested();
    void responderRequested();
    void convertRequested();
    void replayRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build(const MainWindowModel& model);
    void buildMenus(const MainWindowModel& model);
    QAction* addEntry(QMenu& menu, const MainWindowModel& model, const char* name);

    bool rendering_ = false;
    bool closeAllowed_ = false;
};

}  // namespace dravio::gui
