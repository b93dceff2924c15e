// gui: frmTrimmer15, the 15M trimmer window: its own measurement loop's values,
// the change procedure's buttons and the status shape. Drawn from what
// diag::FrmTrimmer15 reports on the link thread; clicks go back as signals.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "base/view_state.h"

namespace dravio::gui {

class Trimmer15Window : public QWidget {
    Q_OBJECT
public:
    explicit Trimmer15Window(QWidget* parent = nullptr);

    void apply(const std::map<std::string, base::ControlState>& changes);

signals:
    void mesuresClicked();        // cdMesures
    void startClicked();          // cdAA
    void stepClicked(int index);  // cdTrim(0) -1, cdTrim(1) +1
    void saveClicked();           // cdSave
    void closed();                // cdFin or the close box

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace dravio::gui
