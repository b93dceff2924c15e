#include "session/shutdown.h"

#include "proto/request_table.h"

namespace dravio::session {

namespace {
constexpr double kPause = 0.06;
constexpr std::int16_t kStopTimeoutMs = 1000;
}  // namespace

void closeLink(link::Link& link, Devices& devices, bool sendStops) {
    link.Timer_present().setEnabled(false);
    if (sendStops && link.TypeInterface != link::kInterfaceElm327 && link.TypeECU == proto::Model::M59) {
        const proto::RequestTable table;
        for (const auto slot : {proto::Slot::ReqStopDiag, proto::Slot::ReqStopCom}) {
            link.Attente(kPause);
            link.EnvoieRequete(table.request(slot, link.TypeECU), "", table.length(slot, link.TypeECU),
                               kStopTimeoutMs);
        }
    }
    devices.close();
}

}  // namespace dravio::session
