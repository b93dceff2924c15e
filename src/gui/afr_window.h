// gui: the AFR window (frmAFR): the external wideband source's two channels, each
// with its volts and its air/fuel ratio, the acquisition box (chDLP), the test
// packet box (chTest) and the measurements button (cdAFR). What it shows comes
// from the session's AFR state; its boxes go back to the session.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "base/view_state.h"

namespace dravio::gui {

// Caption ids of the window.
namespace afr_text {
inline constexpr int Title = 3410;
inline constexpr int InputAfr = 3411;
inline constexpr int Test = 3412;
inline constexpr int Mesures = 3413;
inline constexpr int Channel1 = 3414;
inline constexpr int Channel2 = 3415;
inline constexpr int Volt = 3416;
inline constexpr int Afr = 3417;
}  // namespace afr_text

class AfrWindow : public QWidget {
    Q_OBJECT
public:
    explicit AfrWindow(QWidget* parent = nullptr);

    // Texts of the labels, the boxes' states, the button's; "frmAFR" visible shows the window.
    void apply(const std::map<std::string, base::ControlState>& changes);

signals:
    void checkToggled(const QString& name, bool checked);
    void measureRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool applying_ = false;
};

}  // namespace dravio::gui
