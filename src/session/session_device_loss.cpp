// session: the cable or adapter going away (unplugged, the bench responder
// killed). The link goes down at once and the user is told once; the next
// initialisation opens the device again.
#include "session/session.h"

namespace dravio::session {

namespace {
constexpr int kDeviceLostText = 3800;
constexpr int kDeviceStillLostText = 3801;
}  // namespace

std::string Session::deviceLostText() const {
    if (link_.deviceLost().empty()) return {};
    // The port's own reason is in the trace ("Périphérique perdu : ..."); it is not
    // in the user's language.
    return text(kDeviceLostText, "Le câble ou l'interface a été débranché");
}

void Session::onDeviceLost() {
    // Called from inside the exchange that found out: the running cycle ends on
    // its next look at StopMesures, and nothing waits on the device any more.
    cycle_->StopMesures = true;
    init_->linkDown();
    const std::string message = deviceLostText();
    if (outputs_.deviceLost) {
        outputs_.deviceLost(message);
        return;
    }
    // A box shown from inside the exchange would hold the procedure that found
    // out; show it once that procedure has ended.
    whenIdle([this, message] {
        view_.showMessage(
            {message, "Attention/Caution", base::MessageBox::Icon::Critical, base::MessageBox::Buttons::Ok});
    });
}

bool Session::reopenLostDevice() {
    if (link_.deviceLost().empty()) return true;
    std::string why;
    if (!devices_.reopen(why)) {
        link_.trace().EcritTrace(why, false);
        view_.showMessage({text(kDeviceStillLostText, "Le câble ou l'interface est toujours absent") + " (" + why + ")",
                           "Attention/Caution", base::MessageBox::Icon::Critical, base::MessageBox::Buttons::Ok});
        return false;
    }
    link_.clearDeviceLost();
    link_.setCable(devices_.cable());
    return true;
}

}  // namespace dravio::session
