// diag: what the fault-code and test window of the KWP2000 and OBD-II models
// (FrmDTC59) needs from the program: the exchange engine and its companions as
// hooks, and the model's requests as values taken from the request table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ecu/exchange.h"
#include "proto/request_table.h"

namespace dravio::link {
class Link;
}

namespace dravio::diag {

struct Dtc59Hooks {
    ecu::Exchange EnvoieRequete;
    ecu::Wait Attente;
    ecu::ResourceText GetResourceString;
    // Trace writer: the text, and whether it also goes (time-stamped) to the file.
    std::function<void(std::string_view texte, bool avecTemps)> EcritTrace;
    // The main window's keep-alive timer Timer_present, off or on.
    std::function<void(bool enabled)> Timer_present;
    std::string EnteteReponse = "F110";
};

// The hooks onto a link: its exchange engine, wait, trace and keep-alive timer.
Dtc59Hooks dtc59Hooks(link::Link& link, ecu::ResourceText GetResourceString);

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
