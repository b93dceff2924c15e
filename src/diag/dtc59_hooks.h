// diag: what the fault-code and test window of the KWP2000 and OBD-II models
// (FrmDTC59) needs from the program: the exchange engine and its companions as
// hooks, and the model's requests as values taken from the request table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <utility>

#include "diag/link_hooks.h"
#include "ecu/exchange.h"
#include "proto/request_table.h"

namespace dravio::link {
class Link;
}

namespace dravio::diag {

using Dtc59Hooks = LinkHooks;

inline Dtc59Hooks dtc59Hooks(link::Link& link, ecu::ResourceText GetResourceString) {
    return linkHooks(link, std::move(GetResourceString));
}

// One request of the model: text without header and checksum, answer length.
struct KwpRequest {
    std::string text;
    std::int16_t length = 0;
};

// The model's requests the window sends.
struct Dtc59Requests {
    KwpRequest ReqDefauts;
    KwpRequest ReqStatutDefaut;
    KwpRequest ReqEffaceDefauts;
    KwpRequest ReqActionneur;     // "xx" stands for the local identifier
    KwpRequest ReqActionneurFin;  // likewise
    KwpRequest ReqAntiDemarrage;
    KwpRequest ReqLit57;
    KwpRequest ReqStartCom;
    KwpRequest ReqRoutine;
    KwpRequest ReqRoutineResult;
};

Dtc59Requests dtc59Requests(const proto::RequestTable& table, proto::Model model);

// `request` with its "xx" replaced by `id` ("30xx07", "06" -> "300607").
std::string withLocalId(std::string_view request, std::string_view id);

}  // namespace dravio::diag
