#include "diag/dtc59_faults.h"

#include <algorithm>

#include "proto/hex.h"
#include "diag/dtc59_code.h"
#include "diag/dtc59_text.h"

namespace dravio::diag {

namespace {

using kwptext::instr;
using kwptext::mid;

constexpr std::int16_t kReadTimeoutMs = 1000;
constexpr std::int16_t kStatusTimeoutMs = 400;
constexpr std::int16_t kClearTimeoutMs = 1000;

std::string causeControl(int i) { return "Cause(" + std::to_string(i) + ")"; }
std::string memoControl(int i) { return "Memo(" + std::to_string(i) + ")"; }

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            out += "\\u00" + proto::ByteToHex(u);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string dtc59Json(const Dtc59Record& r) {
    return "{\"n\":" + std::to_string(r.n) + ",\"of\":" + std::to_string(r.of) + ",\"code\":" + jsonString(r.code) +
           ",\"text\":" + jsonString(r.text) + ",\"text2\":" + jsonString(r.text2) +
           ",\"cause\":" + jsonString(r.cause) + ",\"memo\":" + jsonString(r.memo) +
           ",\"lamp\":" + (r.lamp ? "true" : "false") + ",\"cycles\":" + jsonString(r.cycles) + "}";
}

Dtc59Faults::Dtc59Faults(base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests, Dtc59Form form)
    : view_(view), hooks_(std::move(hooks)), requests_(std::move(requests)), form_(form) {}

std::string Dtc59Faults::GetResourceString(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

std::string Dtc59Faults::exchange(const std::string& requete, const std::string& reponseDemo, std::int16_t longueur,
                                  std::int16_t delaiMs) {
    return hooks_.EnvoieRequete ? hooks_.EnvoieRequete(requete, reponseDemo, longueur, delaiMs) : std::string();
}

void Dtc59Faults::trace(const std::string& line, bool avecTemps) {
    if (hooks_.EcritTrace) hooks_.EcritTrace(line, avecTemps);
}

void Dtc59Faults::Form_Load() {
    NbDefauts_ = 0;
    DefautCourant_ = 0;
    ListeDefauts_.clear();
    status_.reset();
    view_.setText("LabelNbErr", GetResourceString(3018, "Pas d'erreur mémorisée"));
    view_.setText("LabelTextError", "");
    view_.setText("LabelNbCycle", "");
    view_.setText("FrameCause", GetResourceString(573, "Cause"));
    view_.setText("FrameMemorisation", GetResourceString(578, "Mémorisation"));
    view_.setText(causeControl(0), GetResourceString(574, "Reste à 12V"));
    view_.setText(causeControl(1), GetResourceString(575, "Court Circuit à la masse"));
    view_.setText(causeControl(2), GetResourceString(576, "Pas de signal"));
    view_.setText(causeControl(3), GetResourceString(577, "Signal invalide"));
    view_.setText(memoControl(0), GetResourceString(579, "Non mémorisé"));
    view_.setText(memoControl(1), GetResourceString(580, "Mémorisé"));
    view_.setText(memoControl(2), GetResourceString(581, "Intermitent"));
    view_.setText(memoControl(3), GetResourceString(582, "Présent"));
    clearOptions();
    view_.setBackColour("Shape1", kDtcLampWhite);
    view_.setVisible("Shape1", form_ == Dtc59Form::Kwp2000);
    view_.setEnabled("CleanError", true);
    for (const char* control : {"Shape1", "ButtonPrevious", "ButtonNext", "HScrollError"}) {
        view_.setEnabled(control, false);
    }
    view_.setEnabled("FrameCause", true);
    view_.setEnabled("FrameMemorisation", true);

    if (form_ == Dtc59Form::Kwp2000) {
        GetDefauts59();
    } else {
        loadObd();
    }

    if (NbDefauts_ == 0) {
        view_.setMaximum("HScrollError", 0);
        view_.setValue("HScrollError", 0);
        view_.setEnabled("HScrollError", false);
        view_.setVisible("Shape1", false);
        view_.setEnabled("FrameCause", false);
        view_.setEnabled("FrameMemorisation", false);
    }
    view_.setEnabled("ButtonPrevious", false);
    if (hooks_.Timer_present) hooks_.Timer_present(true);
}

void Dtc59Faults::GetDefauts59() {
    listErreur_.clear();
    Listparametre_.clear();
    if (hooks_.Attente) hooks_.Attente(0.1);
    const std::string& entete = hooks_.EnteteReponse;
    const std::string answer = exchange(requests_.ReqDefauts.text, "88" + entete + "5802020122D600A886",
                                        requests_.ReqDefauts.length, kReadTimeoutMs);
    const auto list = dtcListAnswer(answer, entete);
    NbDefauts_ = 0;
    if (!list || list->count == 0) return;
    // A count beyond the records present (a cut or garbled answer) lists what is there.
    NbDefauts_ = completeDtcRecords(*list);
    ListeDefauts_ = list->records;
    for (int k = 1; k <= NbDefauts_; ++k) {
        const std::string code = dtcCodeAt(ListeDefauts_, k);
        if (hooks_.Attente) hooks_.Attente(0.1);
        const std::string status =
            exchange(requests_.ReqStatutDefaut.text + code, "8C" + entete + "57020335240000000000004082",
                     requests_.ReqStatutDefaut.length, kStatusTimeoutMs);
        listErreur_.push_back(code);
        Listparametre_.push_back(status);
    }
    if (NbDefauts_ == 0) return;
    view_.setEnabled("HScrollError", true);
    view_.setEnabled("Shape1", true);
    view_.setMaximum("HScrollError", NbDefauts_);
    HScrollError_Change(1);
}

void Dtc59Faults::loadObd() {
    if (hooks_.Attente) hooks_.Attente(0.06);
    const std::string& entete = hooks_.EnteteReponse;
    const std::string answer = exchange("0101", "86F1104101030680004F", requests_.ReqDefauts.length, kReadTimeoutMs);
    const long p = instr(answer, entete + "4101");
    trace(answer + " DTC: " + requests_.ReqDefauts.text, true);
    if (p <= 0) return;
    // The first data byte, lamp bit included.
    NbDefauts_ = proto::HexToByte(mid(answer, p + 8, 2));
    if (NbDefauts_ == 0) return;
    ListeDefauts_ = mid(answer, p + 8);
    view_.setEnabled("HScrollError", true);
    view_.setMaximum("HScrollError", NbDefauts_);
    HScrollError_Change(1);
}

void Dtc59Faults::DecodeErreur(int n) {
    if (form_ == Dtc59Form::Kwp2000) {
        decodeKwp(n);
    } else {
        decodeObd(n);
    }
}

void Dtc59Faults::decodeKwp(int n) {
    const std::string code = dtcCodeAt(ListeDefauts_, n);
    const bool inList = n >= 1 && static_cast<std::size_t>(n) <= Listparametre_.size();
    const std::string answer = inList ? Listparametre_[static_cast<std::size_t>(n - 1)] : std::string();
    if (const auto s = dtcStatusAnswer(answer, hooks_.EnteteReponse)) {
        status_ = s->status;
        view_.setText("LabelNbCycle", cycleCounterText(s->counter));
    }
    showCode(n, code, false);
    applyKwpStatus();
}

void Dtc59Faults::decodeObd(int n) {
    shownCode_.clear();
    shownText_.clear();
    shownText2_.clear();
    const auto status = proto::HexToByte(mid(ListeDefauts_, static_cast<long>(n - 1) * 6 + 5, 2));
    const std::string& entete = hooks_.EnteteReponse;
    const std::string answer =
        exchange("03", "88" + entete + "4303012303240244AA", requests_.ReqDefauts.length, kReadTimeoutMs);
    const long p = instr(answer, entete + "43");
    trace(answer + " DTC: " + requests_.ReqDefauts.text, true);
    if (p > 0) {
        NbDefauts_ = static_cast<int>(kwptext::leadingDecimal(mid(answer, p + 6, 2)));
        if (NbDefauts_ > 0) showCode(n, mid(answer, p + 4 + 4L * n, 4), true);
    }
    applyObdStatus(status);
}

void Dtc59Faults::showCode(int n, const std::string& code, bool timedTrace) {
    const std::string sae = saeCode(code);
    const int key = dtcTextKey(code);
    trace("Erreur n°:" + std::to_string(n) + " " + sae + ":" + GetResourceString(key, " "), timedTrace);
    shownCode_ = sae;
    shownText_ = GetResourceString(key, "  ");
    shownText2_ = GetResourceString(key + kSecondTextOffset, " - ");
    view_.setText("LabelTextError", sae + "\r\n" + shownText_ + "\r\n" + shownText2_);
    view_.setText("LabelNbErr", GetResourceString(524, "Erreur numéro ") + std::to_string(n) +
                                    GetResourceString(525, " sur ") + std::to_string(NbDefauts_));
}

void Dtc59Faults::clearOptions() {
    for (int i = 0; i < 4; ++i) {
        view_.setChecked(causeControl(i), false);
        view_.setChecked(memoControl(i), false);
    }
}

void Dtc59Faults::applyKwpStatus() {
    clearOptions();
    if (!status_) return;
    const DtcStatusView v = dtcStatusView(*status_);
    if (v.cause) view_.setChecked(causeControl(*v.cause), true);
    view_.setChecked(memoControl(v.memo), true);
    view_.setBackColour("Shape1", v.lamp ? kDtcLampRed : kDtcLampWhite);
}

void Dtc59Faults::applyObdStatus(std::uint8_t status) {
    clearOptions();
    // One option per set bit; in each group the last one set stays selected.
    for (int bit = 0; bit < 8; ++bit) {
        if ((status & (1 << bit)) == 0) continue;
        const std::string group = bit < 4 ? "Cause" : "Memo";
        for (int i = 0; i < 4; ++i) view_.setChecked(group + "(" + std::to_string(i) + ")", false);
        view_.setChecked(group + "(" + std::to_string(bit % 4) + ")", true);
    }
}

void Dtc59Faults::HScrollError_Change(int value) {
    value = std::clamp(value, 0, NbDefauts_);
    DefautCourant_ = value;
    view_.setValue("HScrollError", value);
    if (value != 0) DecodeErreur(value);
    view_.setEnabled("ButtonPrevious", DefautCourant_ > 1);
    view_.setEnabled("ButtonNext", DefautCourant_ < NbDefauts_);
}

void Dtc59Faults::ButtonNext_Click() {
    if (DefautCourant_ >= NbDefauts_) return;
    HScrollError_Change(DefautCourant_ + 1);
}

void Dtc59Faults::ButtonPrevious_Click() {
    if (DefautCourant_ <= 1) return;
    HScrollError_Change(DefautCourant_ - 1);
}

void Dtc59Faults::CleanError_Click() {
    if (hooks_.Timer_present) hooks_.Timer_present(false);
    view_.setEnabled("CleanError", false);
    view_.setEnabled("ButtonTest", false);
    if (hooks_.Attente) hooks_.Attente(0.06);
    exchange(requests_.ReqEffaceDefauts.text, "", requests_.ReqEffaceDefauts.length, kClearTimeoutMs);
    DefautCourant_ = 0;
    view_.setText("LabelTextError", "");
    clearOptions();
    view_.setBackColour("Shape1", kDtcLampWhite);
    for (const char* control : {"ButtonPrevious", "ButtonNext", "HScrollError"}) view_.setEnabled(control, false);
    view_.setMaximum("HScrollError", 0);
    view_.setValue("HScrollError", 0);
    view_.setText("LabelNbErr", GetResourceString(523, "Pas d'erreur détectée"));
}

Dtc59Record Dtc59Faults::record() const {
    Dtc59Record r;
    r.n = DefautCourant_;
    r.of = NbDefauts_;
    r.code = shownCode_;
    r.text = shownText_;
    r.text2 = shownText2_;
    for (int i = 0; i < 4; ++i) {
        if (r.cause.empty() && view_[causeControl(i)].checked.value_or(false)) r.cause = view_.text(causeControl(i));
        if (r.memo.empty() && view_[memoControl(i)].checked.value_or(false)) r.memo = view_.text(memoControl(i));
    }
    r.lamp = form_ == Dtc59Form::Kwp2000 && view_["Shape1"].backColour == kDtcLampRed;
    r.cycles = view_.text("LabelNbCycle");
    return r;
}

std::vector<Dtc59Record> Dtc59Faults::readAll() {
    std::vector<Dtc59Record> out;
    // The OBD-II form learns the true count from the first code request.
    for (int n = 1; n <= NbDefauts_; ++n) {
        HScrollError_Change(n);
        if (DefautCourant_ != n) break;
        out.push_back(record());
    }
    return out;
}

}  // namespace dravio::diag
