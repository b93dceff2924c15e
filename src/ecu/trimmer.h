// ecu: the live trimmer (idle mixture correction, a signed byte) while the
// measurement cycle runs: read it, send the value chosen on the scroll bar, store
// it in the ECU. Every change waits for the engine to run at 600 RPM or more.
// State is reported in the main window frmparam through its view.
#pragma once

#include <cstdint>
#include <string>

#include "base/view_state.h"
#include "ecu/exchange.h"
#include "proto/request_table.h"

namespace dravio::ecu {

// Engine speed from which the trimmer may be changed or stored.
inline constexpr float kTrimmerMinRegime = 600;

// The byte sent for a scroll value: negative values wrap (-1 is 0xFF).
int trimmerToByte(int value);
// The value shown for a byte read: 129 to 255 are -127 to -1, 128 stays 128.
int trimmerFromByte(int byte);

struct LiveHooks {
    Exchange EnvoieRequete;
    Wait Attente;
    TraceLine EcritTrace;
    ResourceText GetResourceString;
};

class LiveTrimmer {
public:
    LiveTrimmer(base::ViewState& frmparam, LiveHooks hooks, proto::Model model, std::string enteteReponse);

    // Once per cycle with the cycle's engine speed.
    void GestionTrimmer(float regime);
    // Sends the scroll value when it differs from `lue`, the value just read.
    void SetTrimmer(int lue);
    // Stores the scroll value once the ECU has taken it (`lue` equals it).
    void SauveTrimmer(int lue);
    // Reads the ECU's trimmer; 0 when the answer is not the expected one.
    std::int16_t GetTrimmerInitial();
    // Enables the trimmer controls by engine speed; the "test Moteur" box
    // (chMoteur) forces the speed to 0 so that nothing is sent this cycle.
    void SetcdTrimmer(float& regime);

    // User actions.
    void HScrollTrimmerChange(int value);
    void mnPlusClick() { HScrollTrimmerChange(scrollValue() + 1); }
    void mnMoinsUnClick() { HScrollTrimmerChange(scrollValue() - 1); }
    void cdTrimmerClick() { HScrollTrimmerChange(TrimmerInitial); }
    void CdMemoriseClick() { TrimmerASauver = true; }

    int scrollValue() const;

    // The value read when the cycle first ran on a model-4 ECU; 0 until then.
    std::int16_t TrimmerInitial = 0;
    // Set at cycle start: the first value read goes into the scroll bar.
    bool TrimmerPremier = false;
    // Set by the store button, cleared once the store sequence has run.
    bool TrimmerASauver = false;

private:
    std::string GetResourceString(int id, const std::string& french) const;
    void trace(const std::string& texte) const;
    void wait(double secondes) const;
    std::string exchange(const std::string& requete, const std::string& demo, std::int16_t longueur,
                         std::int16_t delaiMs) const;
    int readEcuValue();

    base::ViewState& view_;
    LiveHooks hooks_;
    proto::Model model_;
    std::string enteteReponse_;
    proto::RequestTable table_;
};

}  // namespace dravio::ecu
