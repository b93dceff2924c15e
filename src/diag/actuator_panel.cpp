#include "diag/actuator_panel.h"

#include <chrono>

#include "proto/hex.h"
#include "diag/actuator_tests.h"
#include "diag/dtc59_text.h"

namespace dravio::diag {

namespace {

using kwptext::instr;

constexpr std::int16_t kTimeoutMs = 1000;
constexpr int kTickMs = 200;
constexpr int kResetMs = 7000;
constexpr int kImmobiliserIndex = 8;
constexpr auto kConfirmPoll = std::chrono::milliseconds(20);

bool contains(const std::string& text, const std::string& part) { return instr(text, part) > 0; }

}  // namespace

ActuatorPanel::ActuatorPanel(base::EventLoop& loop, base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests,
                             std::string ecuType)
    : loop_(loop),
      view_(view),
      hooks_(std::move(hooks)),
      requests_(std::move(requests)),
      ecuType_(std::move(ecuType)),
      TimerTestActif_(loop, [this] { TimerTestActif_Timer(); }) {}

std::string ActuatorPanel::GetResourceString(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

std::string ActuatorPanel::exchange(const std::string& requete, const std::string& reponseDemo, std::int16_t longueur) {
    return hooks_.EnvoieRequete ? hooks_.EnvoieRequete(requete, reponseDemo, longueur, kTimeoutMs) : std::string();
}

void ActuatorPanel::keepAlive(bool on) {
    if (hooks_.Timer_present) hooks_.Timer_present(on);
}

bool ActuatorPanel::is5AM() const { return ecuType_.find("IAW5A") != std::string::npos; }

void ActuatorPanel::appendLine(const std::string& line) {
    const std::string current = view_.text("LDescription");
    view_.setText("LDescription", current.empty() ? line : current + "\r\n" + line);
}

void ActuatorPanel::Form_Load(bool resetsAllowed) {
    closed_ = false;
    TimerTestActif_.setInterval(std::chrono::milliseconds(kTickMs));
    TimerTestActif_.setEnabled(false);
    view_.setText("CdeStartTest", GetResourceString(527, "Lancer le test"));
    view_.setEnabled("CdeStartTest", false);
    view_.setEnabled("ComboChoixTest", true);
    view_.setText("lbCaution", "Caution\r\nThe Reset TPS is not described in the Workshop Manual of M59");
    view_.setVisible("lbCaution", !is5AM());
    view_.setEnabled("cdService", is5AM());
    view_.setEnabled("frResetM5", resetsAllowed);
    view_.setVisible("frConfirm", false);
    view_.setValue("ProgressBar1", 0);
}

std::vector<std::string> ActuatorPanel::ComboChoixTest_List() const {
    std::vector<std::string> list;
    for (const ActuatorTest& t : actuatorTests()) list.push_back(GetResourceString(t.captionId, t.caption));
    return list;
}

void ActuatorPanel::ComboChoixTest_Click(int index) {
    if (index < 0 || index >= static_cast<int>(actuatorTests().size())) return;
    const ActuatorTest& test = actuatorTests()[static_cast<std::size_t>(index)];
    index_ = index;
    TimerTestActif_.setEnabled(false);
    view_.setText("CdeStartTest", GetResourceString(527, "Lancer le test"));
    ticks_ = 0;
    view_.setValue("ProgressBar1", 0);
    view_.setText("LDescription", GetResourceString(test.descriptionId, test.description));
    ticksTotal_ = test.durationMs / kTickMs;
    view_.setMaximum("ProgressBar1", ticksTotal_);
    view_.setText("LMax", kwptext::seconds(test.durationMs) + "s");
    CodeTest_ = test.localId ? proto::ByteToHex(*test.localId) : std::string();
    view_.setEnabled("CdeStartTest", true);
}

void ActuatorPanel::CdeStartTest_Click() {
    if (index_ < 0) return;
    keepAlive(false);
    const std::string& entete = hooks_.EnteteReponse;
    if (TimerTestActif_.enabled()) {
        TimerTestActif_.setEnabled(false);
        if (index_ != kImmobiliserIndex) {
            exchange(withLocalId(requests_.ReqActionneurFin.text, CodeTest_), "", requests_.ReqActionneurFin.length);
        }
        endRun();
        // The link must not lapse after an early stop either.
        keepAlive(true);
        return;
    }
    if (index_ == kImmobiliserIndex) {
        view_.setText("LDescription", "");
        if (hooks_.Attente) hooks_.Attente(0.06);
        const std::string answer =
            exchange(requests_.ReqAntiDemarrage.text, "83" + entete + "6174015A", requests_.ReqAntiDemarrage.length);
        keepAlive(true);
        if (const long p = instr(answer, entete + "6174"); p > 0) {
            const std::string status = kwptext::mid(answer, p + 8, 2);
            if (status.size() == 2) {
                const std::string t = immobiliserText(proto::HexToByte(status), hooks_.GetResourceString);
                if (!t.empty()) appendLine(t);
            }
        }
        return;
    }
    view_.setText("CdeStartTest", GetResourceString(528, "Arrêter le test"));
    ticks_ = 0;
    view_.setEnabled("ComboChoixTest", false);
    if (hooks_.Attente) hooks_.Attente(0.06);
    const std::string answer = exchange(withLocalId(requests_.ReqActionneur.text, CodeTest_),
                                        "83" + entete + "70" + CodeTest_ + "00ZZ", requests_.ReqActionneur.length);
    keepAlive(true);
    if (contains(answer, "83" + entete + "70" + CodeTest_)) {
        appendLine(GetResourceString(529, "Test OK"));
        TimerTestActif_.setEnabled(true);
        if (CodeTest_ == "06" && is5AM()) appendLine("même si l'aiguille n'a pas bougé (Bus CAN)");
    } else {
        appendLine(GetResourceString(530, "Test Echoué: ") + refusalCause(answer, "30", hooks_.GetResourceString));
        view_.setText("CdeStartTest", GetResourceString(527, "Lancer le test"));
        view_.setEnabled("ComboChoixTest", true);
    }
}

void ActuatorPanel::endRun() {
    view_.setText("CdeStartTest", GetResourceString(527, "Lancer le test"));
    view_.setValue("ProgressBar1", 0);
    TimerTestActif_.setEnabled(false);
    view_.setEnabled("ComboChoixTest", true);
}

void ActuatorPanel::TimerTestActif_Timer() {
    ++ticks_;
    if (ticks_ < ticksTotal_) {
        view_.setValue("ProgressBar1", ticks_);
        return;
    }
    endRun();
    if (CodeTest_ == "20") view_.setEnabled("CdeStartTest", true);
    if (CodeTest_ == "21") {
        exchange(requests_.ReqRoutineResult.text, "83" + hooks_.EnteteReponse + "7321FF",
                 requests_.ReqRoutineResult.length);
        appendLine("Turn Key OFF 15sec");
        base::MessageBox box;
        box.text = "Turn the KEY OFF and wait 15s";
        box.title = "Caution";
        view_.showMessage(box);
        view_.setEnabled("frResetM5", true);
    }
}

void ActuatorPanel::cdConfirmer_Click(int index) {
    ChoixConfirme_ = static_cast<std::int16_t>(index);
    view_.setVisible("frConfirm", false);
}

void ActuatorPanel::cdresetTPS_Click() {
    const std::string& entete = hooks_.EnteteReponse;
    ticks_ = 0;
    ticksTotal_ = kResetMs / kTickMs;
    view_.setMaximum("ProgressBar1", ticksTotal_);
    view_.setText("LMax", kwptext::seconds(kResetMs) + "s");
    CodeTest_ = "21";
    keepAlive(true);
    view_.setEnabled("frResetM5", false);

    view_.setVisible("frConfirm", true);
    ChoixConfirme_ = 0;
    // The window's clicks arrive as queued events; closing the window cancels.
    while (ChoixConfirme_ == 0 && !closed_ && !loop_.quitRequested()) loop_.runFor(kConfirmPoll);
    if (ChoixConfirme_ != 2) {
        view_.setVisible("frConfirm", false);
        view_.setEnabled("ComboChoixTest", true);
        view_.setEnabled("frResetM5", true);
        return;
    }

    std::string answer = exchange(requests_.ReqLit57.text, "83" + entete + "61570233E", requests_.ReqLit57.length);
    if (contains(answer, "615704")) {
        base::MessageBox box;
        box.text = "Le moteur doit être arrêté";
        box.title = "Reset TPS Error";
        box.icon = base::MessageBox::Icon::Critical;
        view_.showMessage(box);
        view_.setText("CdeStartTest", GetResourceString(527, "Lancer le test"));
        view_.setEnabled("frResetM5", true);
        return;
    }
    answer = exchange(requests_.ReqStartCom.text, "83" + entete + "C1EF8FC3", requests_.ReqStartCom.length);
    if (!contains(answer, entete + "C1")) {
        view_.setText("LDescription", "Recommencer");
        view_.setEnabled("ComboChoixTest", true);
        view_.setEnabled("frResetM5", true);
        return;
    }
    if (hooks_.Attente) hooks_.Attente(0.3);
    answer = exchange(requests_.ReqRoutine.text, "82" + entete + "7121", requests_.ReqRoutine.length);
    if (contains(answer, entete + "7121")) {
        appendLine("Wait 7s");
        TimerTestActif_.setEnabled(true);
    } else {
        appendLine(GetResourceString(530, "Test Echoué: ") + refusalCause(answer, "31", hooks_.GetResourceString));
        view_.setEnabled("frResetM5", true);
    }
}

void ActuatorPanel::cdService_Click() {
    if (!is5AM()) return;
    const std::string& entete = hooks_.EnteteReponse;
    ticksTotal_ = kResetMs / kTickMs;
    view_.setMaximum("ProgressBar1", ticksTotal_);
    view_.setText("LMax", kwptext::seconds(kResetMs) + "s");
    CodeTest_ = "20";
    ticks_ = 0;
    keepAlive(true);
    if (hooks_.Attente) hooks_.Attente(0.06);
    const std::string request = withLocalId(requests_.ReqActionneur.text, CodeTest_);
    const std::string answer = exchange(request, "83" + entete + "70" + "20" + "00ZZ", requests_.ReqActionneur.length);
    if (hooks_.EcritTrace) hooks_.EcritTrace("Service : " + request + " " + answer, true);
    if (contains(answer, "83" + entete + "70")) {
        appendLine("Wait 7sec");
        TimerTestActif_.setEnabled(true);
    } else {
        appendLine(GetResourceString(530, "Test Echoué: ") + refusalCause(answer, "30", hooks_.GetResourceString));
    }
}

void ActuatorPanel::ButtonClose_Click() {
    closed_ = true;
    TimerTestActif_.setEnabled(false);
    if (hooks_.Attente) hooks_.Attente(0.06);
    keepAlive(true);
}

}  // namespace dravio::diag
