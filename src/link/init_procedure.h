// link: what the user sees of the link: the initialisation button by model and
// interface, the key-on start of the one-byte ECUs, the re-initialisation and the
// keep-alive that holds a KWP2000 link open.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/elm327_link.h"
#include "link/init_liaison.h"
#include "link/link.h"

namespace dravio::link {

// The requests this procedure sends, as the model's request table gives them.
struct InitRequests {
    std::string ReqPresent = "3E";
    std::int16_t ReqPresentLength = 5;
    std::string ReqStartDiag = "1081";
    std::int16_t ReqStartDiagLength = 6;
};

// What the procedure needs from the rest of the program.
struct InitHooks {
    // Language text by id, with the built-in French as default.
    std::function<std::string(int id, const std::string& defaultText)> GetResourceString;
    // The model's name for lbPanel(5) after the one-byte start.
    std::function<std::string(proto::Model model)> modelName;
    // The trimmer's value read after a 59M link is up.
    std::function<std::string()> GetTrimmerInitial;
    // The measurement start button (cdparametre).
    std::function<void()> cdparametreClick;
    // True while no measurement cycle runs.
    std::function<bool()> MesuresArretees;
    // Ends a running measurement cycle.
    std::function<void()> setStopMesures;
    // An external lambda device is configured (its window's button follows the link).
    std::function<bool()> externalLambda;
    // Opens the ELM327 port for the initialisation; false when it cannot be opened.
    std::function<bool()> openElmPort;
    // The link has just gone down (keep-alive without answer, device gone).
    std::function<void()> linkWentDown;
};

// Mouse pointer shapes the procedure shows while it works.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerNoDrop = 12;

class InitProcedure {
public:
    static constexpr auto kKeepAliveInterval = std::chrono::milliseconds(2500);
    static constexpr auto kTempoInterval = std::chrono::milliseconds(200);
    static constexpr int kTempoLimit = 150;

    InitProcedure(Link& link, base::ViewState& view, LinkInitialisation& kwp, Elm327Link* elm, InitHooks hooks,
                  InitRequests requests = {});
    InitProcedure(const InitProcedure&) = delete;
    InitProcedure& operator=(const InitProcedure&) = delete;

    // The `Menu`/`auto` setting: 1 starts measuring once the link is up.
    int autoStart = 1;

    void cdintialisation_Click();
    void CdReInit_Click();
    bool InitPhases();
    void Timer_present_Tick();
    // The link goes down as when the keep-alive gets no answer: red, initialisation offered.
    void linkDown();

    // 1 when the one-byte power-on code in `answer` has a right checksum; may cut
    // `answer` to start at the code.
    static int verif_code_iso(std::string& answer);

    bool linkUp() const { return link_.Shape1() == kShape1Green; }
    base::Timer& TimerTempo() { return TimerTempo_; }

private:
    std::string GetResourceString(int id, const std::string& french) const;
    void setShape1(std::uint32_t colour);
    void advanceProgress();
    void startDiagnosticModel5();
    // Opens the ELM327's port for an initialisation; false (traced) when it cannot.
    bool openElmPort();
    // A model the chosen interface cannot initialise: said at once.
    void refuseInterface();

    Link& link_;
    base::ViewState& view_;
    LinkInitialisation& kwp_;
    Elm327Link* elm_;
    InitHooks hooks_;
    InitRequests requests_;
    base::Timer TimerTempo_;
    int tempoTicks_ = 0;
    int progress_ = 0;
};

}  // namespace dravio::link
