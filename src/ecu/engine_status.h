// ecu: the engine status of the 59M/5AM (model 4): engine state, operating mode,
// chassis switches, throttle class and lambda control, shown as texts and lamps
// in the status window frmStatuts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/view_state.h"
#include "ecu/exchange.h"

namespace dravio::ecu {

// Lamp colours, blue-green-red.
inline constexpr std::uint32_t kLampRed = 255;
inline constexpr std::uint32_t kLampGreen = 65280;

struct EngineStatusHooks {
    Exchange EnvoieRequete;
    Wait Attente;
    ResourceText GetResourceString;
    // Lets queued events run before the first request.
    std::function<void()> pumpEvents;
};

class EngineStatus {
public:
    EngineStatus(base::ViewState& frmStatuts, EngineStatusHooks hooks, std::string enteteReponse);

    // Reads the status block ("21A6") and the lambda control state ("214B") and
    // shows both.
    void DecodeStatuts();

    // Shows a status block answer; data byte k is read at character 11 + 2k,
    // a missing byte reads as 0.
    void showStatusBlock(std::string_view answer);
    // Shows a lambda control answer; "N/A" without the expected header.
    void showLambdaControl(std::string_view answer);

private:
    std::string GetResourceString(int id, const std::string& french) const;
    std::string engineStateText(int state) const;
    std::string modeText(std::string_view word) const;
    std::string lambdaText(int state) const;

    base::ViewState& view_;
    EngineStatusHooks hooks_;
    std::string enteteReponse_;
};

}  // namespace dravio::ecu
