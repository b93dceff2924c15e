#include "diag/dtc59_hooks.h"

#include "link/link.h"

namespace dravio::diag {

Dtc59Requests dtc59Requests(const proto::RequestTable& table, proto::Model model) {
    auto get = [&](proto::Slot slot) { return KwpRequest{table.request(slot, model), table.length(slot, model)}; };
    Dtc59Requests r;
    r.ReqDefauts = get(proto::Slot::ReqDefauts);
    r.ReqStatutDefaut = get(proto::Slot::ReqStatutDefaut);
    r.ReqEffaceDefauts = get(proto::Slot::ReqEffaceDefauts);
    r.ReqActionneur = get(proto::Slot::ReqActionneur);
    r.ReqActionneurFin = get(proto::Slot::ReqActionneurFin);
    r.ReqAntiDemarrage = get(proto::Slot::ReqAntiDemarrage);
    r.ReqLit57 = get(proto::Slot::ReqLit57);
    r.ReqStartCom = get(proto::Slot::ReqStartCom);
    r.ReqRoutine = get(proto::Slot::ReqRoutine);
    r.ReqRoutineResult = get(proto::Slot::ReqRoutineResult);
    return r;
}

std::string withLocalId(std::string_view request, std::string_view id) {
    std::string out(request);
    if (const auto p = out.find("xx"); p != std::string::npos) out.replace(p, 2, id);
    return out;
}

}  // namespace dravio::diag
