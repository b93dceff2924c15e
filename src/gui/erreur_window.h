// gui: frmerreur, the fault window of the MM16, MM15 and 15RC: the present and
// stored fault rows with the status byte, the decoded list, the seven
// diagnostic-mode commands and the progress of the one running. Drawn from what
// diag::FrmErreur reports on the link thread; clicks go back as signals.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "base/view_state.h"

namespace dravio::gui {

class ErreurWindow : public QWidget {
    Q_OBJECT
public:
    explicit ErreurWindow(QWidget* parent = nullptr);

    void apply(const std::map<std::string, base::ControlState>& changes);

signals:
    void readRequested();               // cderreur
    void commandRequested(int button);  // cddiag(0..6)
    // cdarret or the window's own close box; not while a command runs.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace dravio::gui
