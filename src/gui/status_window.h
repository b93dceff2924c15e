// gui: the engine status window (frmStatuts, "Statuts"): engine state and mode,
// chassis switches with their lamps, throttle class and lambda control, drawn from
// what ecu::EngineStatus reports on the link thread.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "base/view_state.h"

namespace dravio::gui {

class StatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatusWindow(QWidget* parent = nullptr);

    // Texts go to the text boxes, back colours to the lamps.
    void apply(const std::map<std::string, base::ControlState>& changes);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace dravio::gui
