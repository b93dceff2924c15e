// diag: the fault codes of the KWP2000 and OBD-II models, the upper half of
// FrmDTC59. Loading reads the ECU's fault memory once; browsing shows one code
// at a time from what was read; clearing erases the memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/view_state.h"
#include "diag/dtc59_hooks.h"

namespace dravio::diag {

// Which questions the window asks.
enum class Dtc59Form {
    Kwp2000,  // "M59/M5A": ReadDiagnosticTroubleCodesByStatus, then each code's status
    ObdII,    // the OBD-II model: service 01 PID 01 for the count, service 03 for the codes
};

// Back colours of the lamp indicator Shape1 (blue-green-red).
inline constexpr std::uint32_t kDtcLampRed = 0x0000FF;
inline constexpr std::uint32_t kDtcLampWhite = 0xFFFFFF;

// One fault code as the window shows it.
struct Dtc59Record {
    int n = 0;           // number on show, 1-based
    int of = 0;          // NbDefauts
    std::string code;    // SAE form, "P0201"
    std::string text;    // first text, "  " when the catalogs have none
    std::string text2;   // second text, " - " when none
    std::string cause;   // caption of the selected cause option, "" when none
    std::string memo;    // caption of the selected memorisation option, "" when none
    bool lamp = false;   // the lamp indicator is red
    std::string cycles;  // LabelNbCycle
};

// {"n":1,"of":2,"code":"P0201",...}: one JSON object, texts escaped.
std::string dtc59Json(const Dtc59Record& record);

class Dtc59Faults {
public:
    Dtc59Faults(base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests, Dtc59Form form);

    // The fault part of loading the window: reads the memory, shows DTC 1.
    void Form_Load();
    // Reads the codes and the status of each (KWP2000 form).
    void GetDefauts59();
    // Shows DTC `n` (1-based) and writes its trace line.
    void DecodeErreur(int n);

    void HScrollError_Change(int value);
    void ButtonNext_Click();
    void ButtonPrevious_Click();
    // Clears the ECU's memory (the answer is not examined); the window then
    // loads again so that the user sees what the ECU still reports.
    void CleanError_Click();

    // The DTC on show, read back from the window state.
    Dtc59Record record() const;
    // Browses every DTC from the first, as the user would, and returns them.
    std::vector<Dtc59Record> readAll();

    int NbDefauts() const { return NbDefauts_; }
    int DefautCourant() const { return DefautCourant_; }
    const std::string& ListeDefauts() const { return ListeDefauts_; }
    const std::vector<std::string>& listErreur() const { return listErreur_; }
    const std::vector<std::string>& Listparametre() const { return Listparametre_; }

private:
    std::string GetResourceString(int id, const std::string& french) const;
    std::string exchange(const std::string& requete, const std::string& reponseDemo, std::int16_t longueur,
                         std::int16_t delaiMs);
    void trace(const std::string& line, bool avecTemps);
    void loadObd();
    void decodeKwp(int n);
    void decodeObd(int n);
    void showCode(int n, const std::string& code, bool timedTrace);
    void clearOptions();
    void applyKwpStatus();
    void applyObdStatus(std::uint8_t status);

    base::ViewState& view_;
    Dtc59Hooks hooks_;
    Dtc59Requests requests_;
    Dtc59Form form_;
    int NbDefauts_ = 0;
    int DefautCourant_ = 0;
    std::string ListeDefauts_;
    std::vector<std::string> listErreur_;
    std::vector<std::string> Listparametre_;
    // The last status read; kept when a status answer lacks its header.
    std::optional<std::uint8_t> status_;
    std::string shownCode_, shownText_, shownText2_;
};

}  // namespace dravio::diag
