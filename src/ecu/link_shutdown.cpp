#include "ecu/link_shutdown.h"

namespace dravio::ecu {

namespace {
constexpr std::int16_t kModelM59 = 4;
constexpr double kPause = 0.06;
constexpr std::int16_t kStopTimeoutMs = 1000;
}  // namespace

void closeLink(link::Link& link, const RequestTable& table, std::int16_t typeEcu, std::int16_t typeInterface) {
    if (typeInterface == link::kInterfaceElm327) return;
    if (typeEcu == kModelM59) {
        for (const auto slot : {Slot::ReqStopDiag, Slot::ReqStopCom}) {
            link.Attente(kPause);
            link.EnvoieRequete(table.request(slot, typeEcu), "", table.length(slot, typeEcu), kStopTimeoutMs);
        }
    }
    if (auto* cable = link.cable(); cable != nullptr && cable->isOpen()) cable->close();
}

}  // namespace dravio::ecu
