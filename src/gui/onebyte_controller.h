// gui: the one-byte ECUs' diagnostic windows wired to the session: frmerreur
// (cddiag, F4, and mndiag for the MM16, MM15 and 15RC) and frmTrimmer15
// (cdTrimer15, F8, and mnTrim15M for the 15M family). The first click while a
// cycle runs only asks it to stop; a click once it has ended opens the window.
// The procedures run on the link thread; their view changes come back queued.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "gui/link_thread.h"
#include "proto/models.h"
#include "support/ini_file.h"

class QMainWindow;

namespace dravio::gui {

class ErreurWindow;
class Trimmer15Window;

// Whether the main window's buttons open these windows for `model`.
bool opensErreurWindow(std::optional<proto::Model> model);
bool opensTrimmer15Window(std::optional<proto::Model> model);

// The main window's commands and menus as a whole, off while a test runs (its
// own windows stay usable).
void setMainCommandsEnabled(QMainWindow& window, bool enabled);

class OneByteController : public QObject {
    Q_OBJECT
public:
    OneByteController(LinkThread& linkThread, support::IniFile& ini, QWidget& mainWindow,
                      std::function<void()> unloadGraph, QObject* parent = nullptr);
    ~OneByteController() override;

    void showErreur();
    void showTrimmer();
    // The session goes away: its windows with it.
    void closeAll();

    ErreurWindow* erreurWindow() const;
    Trimmer15Window* trimmerWindow() const;

signals:
    void erreurShown();
    void trimmerShown();

private:
    template <class Window>
    std::function<void(std::map<std::string, base::ControlState>)> sinkTo(Window* window);

    LinkThread& linkThread_;
    support::IniFile& ini_;
    QWidget& main_;
    std::function<void()> unloadGraph_;
    QPointer<ErreurWindow> erreur_;
    QPointer<Trimmer15Window> trimmer_;
};

}  // namespace dravio::gui
