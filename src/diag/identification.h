// diag: identification, fault codes and tests of the ECU families, and the
// procedures of their windows. The procedures run on the link thread, reach the
// ECU through hooks (the exchange engine, the precise wait, the trace, the
// keep-alive timer) and report to the window through a base::ViewState.
//
// This file: the identification window (frmIdentification). It reads the
// ECU's identification once, while it loads, and shows it as eight lines.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/view_state.h"
#include <utility>

#include "diag/link_hooks.h"
#include "ecu/exchange.h"

namespace dravio::link {
class Link;
}

namespace dravio::diag {

// How a model is identified.
enum class IdentificationFamily {
    Kwp59,  // "M59/M5A": one ReadEcuIdentification record
    MM16,   // one byte per address, 0x17..0x21
    MM15,   // "MM15" and "15RC": 0x17..0x20 part number, 0x21..0x28 calibration
    None,   // "P8" and the unnamed models: nothing is asked
};

// The family of the model named `modelName` ("M59/M5A", "MM16", ...).
IdentificationFamily identificationFamily(std::string_view modelName);

// The eight output labels, top to bottom.
inline constexpr std::array<const char*, 8> kIdentificationLabels = {
    "lbDucati", "lbMarelli", "lbRevHard", "lbProgramme", "lbRevSoft", "lbApproval", "lbRepairShop", "lbDate"};

using IdentificationLines = std::array<std::string, 8>;

// The eight lines of a 59M/5AM from the answer to "1A80". Fields are cut behind
// the first `enteteReponse` + "5A80"; without it, from the eighth character.
IdentificationLines kwpIdentificationLines(std::string_view answer, std::string_view enteteReponse);

// What a one-byte answer adds to an identification line: its character, or
// nothing for "", "00" and "FF".
std::string oneByteIdentificationCharacter(std::string_view answer);

using IdentificationHooks = LinkHooks;

inline IdentificationHooks identificationHooks(link::Link& link, ecu::ResourceText GetResourceString) {
    return linkHooks(link, std::move(GetResourceString));
}

class FrmIdentification {
public:
    FrmIdentification(base::ViewState& view, IdentificationHooks hooks);

    // Loading: captions, the reading of `family`, the keep-alive off meanwhile.
    void Form_Load(IdentificationFamily family);
    // Copies the lines to the trace window's list (not the file), framed by blanks.
    void cdLOG_Click();
    // Closing gives the main window its menu entry and measurement button back.
    void cdquitter_Click(base::ViewState& frmparam);

    // The eight lines as shown, prefix and value ("" for a label the model leaves empty).
    IdentificationLines lines() const;

private:
    std::string exchange(const std::string& requete, const std::string& reponseDemo, std::int16_t longueur,
                         std::int16_t delaiMs);
    std::string readOneByte(int first, int last);

    base::ViewState& view_;
    IdentificationHooks hooks_;
};

}  // namespace dravio::diag
