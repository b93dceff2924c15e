#include "link/init_procedure.h"

#include "proto/hex.h"
#include "link/cable_setup.h"
#include "link/value_labels.h"

namespace dravio::link {

InitProcedure::InitProcedure(Link& link, base::ViewState& view, LinkInitialisation& kwp, Elm327Link* elm,
                             InitHooks hooks, InitRequests requests)
    : link_(link),
      view_(view),
      kwp_(kwp),
      elm_(elm),
      hooks_(std::move(hooks)),
      requests_(std::move(requests)),
      TimerTempo_(link.loop(), [this] { advanceProgress(); }) {
    link_.Timer_present().setInterval(kKeepAliveInterval);
    link_.Timer_present().setOnTick([this] { Timer_present_Tick(); });
    TimerTempo_.setInterval(kTempoInterval);
}

std::string InitProcedure::GetResourceString(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

void InitProcedure::setShape1(std::uint32_t colour) { link_.setShape1(colour); }

void InitProcedure::advanceProgress() {
    ++tempoTicks_;
    ++progress_;
    view_.setValue("ProgressBar1", progress_);
    if (tempoTicks_ >= kTempoLimit) TimerTempo_.setEnabled(false);
}

int InitProcedure::verif_code_iso(std::string& answer) {
    if (answer.size() < 6) return 0;
    if (const auto p = answer.find("55"); p != std::string::npos) {
        // Keep the code from the sync byte on, at most p + 11 characters of it
        // (p counted from 1).
        answer = answer.substr(p, p + 12);
        if (answer.size() < 12) return 0;
        return proto::CalculChecksum(answer.substr(0, 10)) == answer.substr(10, 2) ? 1 : 0;
    }
    if (const auto p = answer.find("0B"); p != std::string::npos) {
        if (answer.size() < p + 12) return 0;
        return proto::CalculChecksum(answer.substr(p, 10)) == answer.substr(p + 10, 2) ? 1 : 0;
    }
    return 0;
}

bool InitProcedure::InitPhases() {
    InitComFTDI(link_.cable(), 1200);
    progress_ = 0;
    view_.setValue("ProgressBar1", 0);
    view_.setVisible("ProgressBar1", true);
    view_.setVisible("Lbtest", true);
    view_.setText("Lbtest", "");
    tempoTicks_ = 0;
    view_.setMaximum("ProgressBar1", kTempoLimit);
    TimerTempo_.setEnabled(false);

    const auto finish = [this](bool ok) {
        TimerTempo_.setEnabled(false);
        view_.setVisible("ProgressBar1", false);
        view_.setVisible("Lbtest", false);
        return ok;
    };

    if (proto::rowOf(link_.TypeECU).init != proto::InitKind::PowerOnCodeKeyOn) {
        const base::MessageBox keyOff{
            "A ce moment le contact de la moto doit être coupé,\rMettre le contact après OK\r"
            "At this point the KEY must be OFF,\rTurn KEY ON after check OK",
            "Attention/Caution", base::MessageBox::Icon::Critical, base::MessageBox::Buttons::OkCancel};
        if (view_.showMessage(keyOff) != base::MessageAnswer::Ok) return finish(false);
        view_.setText("lpresent", GetResourceString(144, "Mettre le contact / Turn KEY ON"));
        view_.setText("lmemo", GetResourceString(145, "et attendre les BIP et Init = ON"));
        view_.setVisible("contact", true);
        TimerTempo_.setEnabled(true);

        std::string answer = link_.EnvoieRequete("", "55B080808085", 6, 20000);
        link_.trace().EcritTrace("iso : " + answer, link_.TraceActive);
        if (answer.empty()) {
            view_.setText("lmemo", "");
            view_.setText("lpresent", "Echec");
            setShape1(kShape1Red);
            return finish(false);
        }
        view_.setText("lpresent", "ISO: " + answer);
        if (verif_code_iso(answer) == 0) {
            link_.trace().EcritTrace("Echec init : code de mise sous tension incorrect " + answer, false);
            return finish(false);
        }
    }

    // Phase 1: the diagnostic wake-up bytes at 1200 baud.
    view_.setValue("MousePointer", kPointerDefault);
    TimerTempo_.setEnabled(false);
    view_.setValue("ProgressBar1", ++progress_);
    view_.setText("Lbtest", "Phase 1");
    view_.setVisible("contact", false);
    if (!link_.ModeDemo) view_.beep();
    ports::KLineCable* cable = link_.cable();
    const auto write = [&](std::uint8_t byte) {
        if (cable && !link_.ModeDemo) cable->write(byte);
    };
    link_.Attente(0.7);
    write(0x0F);
    link_.Attente(0.11);
    write(0xAA);
    link_.Attente(0.11);
    write(0xCC);
    link_.Attente(0.3);

    // Phase 2: the link check at 7812 baud.
    view_.setValue("ProgressBar1", ++progress_);
    view_.setText("Lbtest", "Phase 2");
    InitComFTDI(cable, 7812);
    const auto verif = link_.EnvoieRequete("08", "FF", 1, 500);
    if (link_.TraceActive) link_.trace().EcritTrace("verif : " + verif, true);
    setShape1(!verif.empty() && !link_.ModeDemo ? kShape1Green : kShape1Red);

    // Phase 3: fault summary and identification.
    view_.setValue("ProgressBar1", ++progress_);
    view_.setText("Lbtest", "Phase 3");
    const auto isFault = [](const std::string& answer) { return answer != "00" && answer != "FF"; };
    view_.setText("lpresent", GetResourceString(138, "Aucun Défaut présent / No Failure now"));
    for (const char* command : {"10", "11", "12"}) {
        if (isFault(link_.EnvoieRequete(command, "FF", 1, 500))) {
            view_.setText("lpresent", GetResourceString(139, "Défaut(s)présent(s) / Failure(s)"));
        }
    }
    std::string identification;
    for (int command = 0x17; command <= 0x21; ++command) {
        const auto answer = link_.EnvoieRequete(proto::ByteToHex(command), "FF", 1, 500);
        if (answer.size() == 2) {
            const int value = proto::HexToByte(answer);
            if (value >= 32 && value <= 126) identification.push_back(static_cast<char>(value));
        }
    }
    view_.setText("lbPanel5", identification);
    view_.setText("lmemo", GetResourceString(140, "Aucun Défaut mémorisé / No Failure in RAM"));
    for (const char* command : {"14", "15", "16"}) {
        if (isFault(link_.EnvoieRequete(command, "FF", 1, 500))) {
            view_.setText("lmemo", GetResourceString(141, "Défaut(s) mémorisé(s) / Failure(s) in RAM"));
        }
    }
    finish(true);
    view_.setText("lbPanel5", hooks_.modelName ? hooks_.modelName(link_.TypeECU) : std::string{});
    return true;
}

void InitProcedure::startDiagnosticModel5() {
    const std::string request = "17FF00";
    requests_.ReqStartDiag = request;
    link_.Attente(0.06);
    const auto answer = link_.EnvoieRequete(request, link_.EnteteReponse + "50", 12, 600);
    link_.trace().EcritTrace(answer, false);
    link_.Attente(1.0);
    link_.Attente(0.1);
    if (answer.find(link_.EnteteReponse + "7F") != std::string::npos) {
        link_.trace().EcritTrace(request + "  StartDiag NOK :" + answer, false);
    } else {
        link_.trace().EcritTrace(request + "  StartDiag : " + answer, false);
    }
}

bool InitProcedure::openElmPort() {
    link_.trace().EcritTrace("Ouverture port com", true);
    const bool opened = hooks_.openElmPort ? hooks_.openElmPort() : elm_->port().isOpen();
    if (!opened) {
        link_.trace().EcritTrace(
            link_.text(2527, "Echec init : port de l'ELM327 non ouvert") + " (" + elm_->port().lastError() + ")", false);
    }
    return opened;
}

void InitProcedure::refuseInterface() {
    // The one-byte protocol's baud rates and key-on code are beyond the adapter.
    const std::string text =
        GetResourceString(3802, "Ce modèle d'ECU ne peut pas être initialisé par l'interface choisie");
    link_.trace().EcritTrace("Echec init : " + text, false);
    view_.showMessage({text, "Attention/Caution", base::MessageBox::Icon::Exclamation, base::MessageBox::Buttons::Ok});
}

void InitProcedure::cdintialisation_Click() {
    view_.setVisible("imDonate", false);
    if (linkUp()) return;
    view_.setVisible("contact", false);
    view_.setEnabled("mnTrim15M", false);
    view_.setText("lpresent", GetResourceString(143, "Initialisation de la procédure / Init to process"));
    view_.setText("lmemo", GetResourceString(142, "Attendre les instructions / Wait"));
    view_.setValue("MousePointer", kPointerNoDrop);
    view_.setEnabled("cdintialisation", false);
    view_.setEnabled("cdparametre", false);
    view_.setEnabled("cddiag", false);
    if (hooks_.externalLambda && hooks_.externalLambda()) view_.setEnabled("cdAFR", false);
    if (!link_.ModeDemo) view_.beep();
    view_.setChecked("Chenregistre", false);

    bool result = false;
    switch (proto::rowOf(link_.TypeECU).init) {
        case proto::InitKind::PowerOnCode:
        case proto::InitKind::PowerOnCodeKeyOn:
            if (link_.TypeInterface == kInterfaceElm327) {
                refuseInterface();
            } else {
                result = InitPhases();
            }
            break;
        case proto::InitKind::Kwp2000: {
            view_.setText("lpresent", "");
            view_.setText("lmemo", "");
            if (link_.TypeInterface != kInterfaceElm327) {
                result = kwp_.InitLiaison();
            } else if (elm_ != nullptr) {
                result = openElmPort() && elm_->InitComELM();
            }
            std::string trimmer;
            if (result && hooks_.GetTrimmerInitial) trimmer = hooks_.GetTrimmerInitial();
            view_.setText("cdTrimmer", GetResourceString(174, "Reset to ") + trimmer);
            view_.setVisible("chStatutSonde", true);
            break;
        }
        case proto::InitKind::Kwp2000Diagnostic:
            view_.setText("lpresent", "");
            view_.setText("lmemo", "");
            if (link_.TypeInterface != kInterfaceElm327) {
                result = kwp_.InitLiaison();
                startDiagnosticModel5();
            } else if (elm_ != nullptr) {
                // The adapter opens the diagnostic session itself.
                result = openElmPort() && elm_->InitComOBD();
            }
            break;
        case proto::InitKind::None:
            result = false;
            break;
    }

    view_.setValue("MousePointer", kPointerDefault);
    if (result) {
        link_.Timer_present().setEnabled(true);
        view_.beep();
        link_.Attente(0.1);
        view_.setEnabled("cdparametre", true);
        view_.setEnabled("cddiag", true);
        if (proto::isOneByte(link_.TypeECU)) view_.setEnabled("CdReInit", true);
        if (link_.TypeECU == proto::Model::MM15) view_.setEnabled("mnTrim15M", true);
        view_.setEnabled("cdintialisation", false);
        view_.setVisible("mntest", false);
        setShape1(kShape1Green);
        view_.setText("lbPanel1", GetResourceString(135, "Init : ON"));
        if (!hooks_.MesuresArretees || hooks_.MesuresArretees()) {
            view_.setText("lbPanel2", GetResourceString(137, "Attente / Wait"));
        }
        if (autoStart == 1 && hooks_.cdparametreClick) hooks_.cdparametreClick();
    } else {
        view_.setEnabled("cdintialisation", true);
        setShape1(kShape1Red);
        view_.setVisible("contact", false);
    }
}

void InitProcedure::CdReInit_Click() {
    if (link_.TypeECU == proto::Model::M59) {
        view_.setVisible("CdReInit", false);
        return;
    }
    if (hooks_.setStopMesures) hooks_.setStopMesures();
    const base::MessageBox keyOff{"Couper le contact de la moto\rTurn KEY OFF", "RéInitialisation/Reset Init",
                                  base::MessageBox::Icon::Critical, base::MessageBox::Buttons::OkCancel};
    if (view_.showMessage(keyOff) != base::MessageAnswer::Ok) return;
    view_.setEnabled("cdintialisation", true);
    view_.setEnabled("cdparametre", false);
    view_.setEnabled("cddiag", false);
    view_.setEnabled("CdReInit", false);
    setShape1(kShape1Red);
}

void InitProcedure::linkDown() {
    view_.setEnabled("cdparametre", false);
    view_.setEnabled("cddiag", false);
    view_.setEnabled("cdintialisation", true);
    view_.setVisible("mntest", false);
    setShape1(kShape1Red);
    if (hooks_.externalLambda && hooks_.externalLambda()) view_.setEnabled("cdAFR", true);
    view_.setText("lbPanel1", GetResourceString(136, "Init : OFF"));
    // No value may stay on screen as if it were still read.
    for (const char* label : kValueLabels) view_.setText(label, "--");
    link_.Timer_present().setEnabled(false);
    if (hooks_.linkWentDown) hooks_.linkWentDown();
}

void InitProcedure::Timer_present_Tick() {
    if (!proto::isKwp(link_.TypeECU)) return;
    if (link_.DialogueActif()) return;
    link_.Attente(0.06);
    const auto answer = link_.EnvoieRequete(requests_.ReqPresent, "81" + link_.EnteteReponse + "7E00",
                                            requests_.ReqPresentLength, 500);
    bool alive = answer.find(link_.EnteteReponse) != std::string::npos;
    if (link_.TypeInterface == kInterfaceElm327) {
        link_.Timer_present().setEnabled(false);
        alive = true;
    }
    if (!alive) {
        linkDown();
        return;
    }
    view_.setEnabled("cdparametre", true);
    view_.setEnabled("cddiag", true);
    view_.setEnabled("cdintialisation", false);
    setShape1(kShape1Green);
    link_.Attente(0.06);
    link_.Timer_present().setEnabled(true);
    view_.beep();
}

}  // namespace dravio::link
