// gui: the fault-code and test window of the KWP2000 and OBD-II models
// (FrmDTC59). It draws the state the window's procedures report, by control
// name, and hands every click back as a command for those procedures, which run
// on the link thread.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <map>
#include <string>

#include "base/view_state.h"
#include "diag/dtc59_window.h"
#include "support/catalog.h"

namespace dravio::gui {

using Dtc59Command = std::function<void(diag::FrmDTC59&)>;

class Dtc59Window : public QDialog {
    Q_OBJECT
public:
    explicit Dtc59Window(const support::Catalog& catalog, QWidget* parent = nullptr);

    // Draws what changed; "Cause(0)" is the control named "Cause0".
    void apply(const std::map<std::string, base::ControlState>& changes);

    // The web pages of generic fault-code explanations.
    static const QUrl& frenchPage();
    static const QUrl& englishPage();

signals:
    void command(const dravio::gui::Dtc59Command& command);
    void urlRequested(const QUrl& url);
    // (ButtonClose, the close box and Escape all end in QDialog::finished.)

private:
    void build(const support::Catalog& catalog);
    void send(Dtc59Command c) { emit command(c); }

    bool rendering_ = false;
};

}  // namespace dravio::gui
