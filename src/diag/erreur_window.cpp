#include "diag/erreur_window.h"

#include <utility>

#include "proto/hex.h"

namespace dravio::diag {

namespace {

std::string indexed(const char* array, int index) { return std::string(array) + std::to_string(index); }

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

}  // namespace

std::string_view testOutcomeName(TestOutcome outcome) {
    switch (outcome) {
        case TestOutcome::CycleRunning:
            return "cycle-running";
        case TestOutcome::EngineRunning:
            return "engine-running";
        case TestOutcome::NoDiagMode:
            return "no-diag-mode";
        case TestOutcome::Passed:
            return "passed";
        case TestOutcome::Failed:
            return "failed";
        case TestOutcome::NoEnd:
            return "no-end";
    }
    return "";
}

FrmErreur::FrmErreur(base::ViewState& view, base::ViewState& frmparam, OneByteModel model, OneByteHooks hooks,
                     MainWindowHooks main, ecu::CycleGate gate)
    : view_(view), frmparam_(frmparam), model_(model), line_(std::move(hooks)), main_(std::move(main)), gate_(gate) {}

void FrmErreur::Form_Load() {
    for (int r = 0; r < kErreurRows; ++r) {
        view_.setText(indexed("ldef", r), text(319 + r, erreurRowTitle(r)));
    }
    view_.setText("frmerreur", text(3200, "Défauts et tests"));
    view_.setText("frpresent", text(3201, "Erreur(s) présente(s) / Failure(s) now"));
    view_.setText("frmem", text(3202, "Erreur(s) mémorisée(s) / Failure(s) in RAM"));
    view_.setText("cderreur", text(3203, "Lecture / Read"));
    view_.setText("cdarret", text(3204, "Fermer / Close"));
    view_.setText("frcde", text(3205, "Commandes"));
    view_.setText("frdialogue", text(3206, "Dialogue"));
    for (int b = 0; b < kDiagButtons; ++b) {
        view_.setText(indexed("cddiag", b), text(diagButtonTextId(b), diagButtonCaption(b)));
    }
}

FaultReading FrmErreur::cderreur_Click() {
    FaultReading reading;
    if (!gate_.requestLine()) {
        for (int r = 0; r < kErreurRows; ++r) {
            view_.setText(indexed("rdef", r), " ");
            view_.setText(indexed("ldef", r), " ");
        }
        view_.setText("rdef0", text(326, "Attente de l'arrêt des mesures"));
        view_.setText("rdef1", text(3207, "Recliquer sur Lecture / Try again"));
        return reading;
    }
    if (main_.keepAlive) main_.keepAlive(false);
    view_.setValue("MousePointer", kPointerHourglass);
    gate_.LiaisonLibre = false;
    view_.setText("Text1", "");

    for (int r = 0; r < kErreurRows; ++r) {
        if (r == kStatusRow) continue;
        if (r == 0) {
            reading.lines.push_back(text(3209, "Défauts Présents :"));
            line_.trace("");
            line_.trace("Défauts Présents :");
        } else if (r == 4) {
            reading.lines.push_back(text(3210, "Défauts RAM :"));
            line_.trace("");
            line_.trace("Défauts en RAM :");
        }
        const std::string fault = line_.send(faultByteRequest(r), "03", kRowTimeout);
        std::string& shown = reading.rdef[static_cast<std::size_t>(r)];
        if (!isNoFault(fault)) {
            shown = fault;
            const std::string type = line_.send(typeByteRequest(r), "03", kRowTimeout);
            for (auto& l : gestion_erreur1516(r, proto::HexToByte(fault), proto::HexToByte(type),
                                              [this](int id, const std::string&fr) { return text(id, fr); })) {
                line_.trace(l);
                reading.lines.push_back(std::move(l));
            }
        } else {
            shown = "RAS";
        }
        view_.setText(indexed("rdef", r), shown);
        view_.setText("Text1", joinLines(reading.lines));
        line_.doEvents();
    }

    reading.lines.emplace_back("");
    reading.lines.push_back(text(3211, "Statuts"));
    const std::uint8_t status = proto::HexToByte(line_.send("13", "48", kRowTimeout));
    reading.rdef[kStatusRow] = statusValueText(status);
    view_.setText(indexed("rdef", kStatusRow), reading.rdef[kStatusRow]);
    for (auto& l : statusLines(status, [this](int id, const std::string& fr) { return text(id, fr); })) {
        reading.lines.push_back(std::move(l));
    }
    view_.setText("Text1", joinLines(reading.lines));

    view_.setValue("MousePointer", kPointerDefault);
    gate_.LiaisonLibre = true;
    view_.beep();
    reading.done = true;
    return reading;
}

void FrmErreur::setProgress(const char* array, int index, const std::string& shown) {
    view_.setText(indexed(array, index), shown);
}

void FrmErreur::setCommandsEnabled(bool enabled) {
    view_.setEnabled("frcde", enabled);
    view_.setEnabled("cderreur", enabled);
    view_.setEnabled("cdarret", enabled);
    if (main_.setEnabled) main_.setEnabled(enabled);
}

void FrmErreur::showMessage(TestRun& run, base::MessageBox box) {
    view_.showMessage(box);
    run.messages.push_back(std::move(box));
}

TestRun FrmErreur::finish(TestRun run) {
    setCommandsEnabled(true);
    view_.setValue("MousePointer", kPointerDefault);
    gate_.LiaisonLibre = true;
    // Timer_present stays off: the main window's next exchange decides.
    run.frdialogue = view_.text("frdialogue");
    for (int i = 0; i < 4; ++i) {
        run.lenvoie[static_cast<std::size_t>(i)] = view_.text(indexed("lenvoie", i));
        run.lrecu[static_cast<std::size_t>(i)] = view_.text(indexed("lrecu", i));
    }
    return run;
}

TestRun FrmErreur::cddiag_Click(int button) {
    TestRun run;
    if (main_.keepAlive) main_.keepAlive(false);
    const bool lineFree = gate_.requestLine();
    for (int i = 0; i < 4; ++i) {
        setProgress("lenvoie", i, " ");
        setProgress("lrecu", i, " ");
    }
    if (!lineFree) {
        setProgress("lenvoie", 0, text(326, "Attente de l'arrêt des mesures"));
        setProgress("lenvoie", 1, text(327, "Recliquer sur la commande  "));
        run.lenvoie[0] = view_.text("lenvoie0");
        run.lenvoie[1] = view_.text("lenvoie1");
        return run;
    }

    view_.setValue("MousePointer", kPointerHourglass);
    gate_.LiaisonLibre = false;
    view_.setText("frdialogue", text(329, "Initialisation du test"));
    setCommandsEnabled(false);
    if (main_.unloadGraph) main_.unloadGraph();

    const std::uint8_t status = proto::HexToByte(line_.send("13", "01", kStatusBeforeTestTimeout));
    if ((status & (kStatusEngineRunning | kStatusRefusesDiag)) != 0) {
        run.outcome = TestOutcome::EngineRunning;
        showMessage(run, {text(328, "Le moteur doit être arrété"), std::string(kTitleCaution),
                          base::MessageBox::Icon::Critical, base::MessageBox::Buttons::Ok});
        return finish(std::move(run));
    }

    const std::string entered = line_.send(kEnterDiag, kEnterDiag, kDiagTimeout);
    setProgress("lenvoie", 0, text(330, "Mode Diag"));
    view_.beep();
    if (entered != kEnterDiag) {
        run.outcome = TestOutcome::NoDiagMode;
        return finish(std::move(run));
    }

    setProgress("lrecu", 0, text(331, "Prêt"));
    view_.beep();
    const std::string command = diagCommand(model_, button);
    view_.setText("frdialogue", text(3218 + button, diagCommandName(button)));

    line_.wait(0.2);
    view_.beep();
    const std::string answer = line_.send(command, command, kDiagTimeout);
    setProgress("lenvoie", 1, text(332, "Commande lancée"));
    setProgress("lrecu", 1, text(333, "Test en cours"));
    view_.beep();

    // The memory clearing answers with its end byte; a test ends later.
    run.endOfTest = button == 0 ? answer : line_.send("", kTestPassed, kEndOfTestTimeout);

    setProgress("lrecu", 2, text(3208, "Test terminé"));
    if (run.endOfTest == kTestFailed) {
        run.outcome = TestOutcome::Failed;
        showMessage(
            run, {text(334, "Fin incorrecte"), "", base::MessageBox::Icon::Exclamation, base::MessageBox::Buttons::Ok});
        setProgress("lenvoie", 2, text(335, "Test échoué"));
    } else if (run.endOfTest == kTestPassed) {
        run.outcome = TestOutcome::Passed;
        setProgress("lenvoie", 2, text(336, "Test OK"));
    } else {
        // The ECU is left to end its diagnostic mode by itself.
        run.outcome = TestOutcome::NoEnd;
        return finish(std::move(run));
    }

    view_.beep();
    line_.wait(0.2);
    const std::string left = line_.send(kLeaveDiag, kLeaveDiag, kDiagTimeout);
    setProgress("lenvoie", 3, text(337, "Fin du mode diag"));
    if (left == kLeaveDiag) {
        run.confirmed = true;
        setProgress("lrecu", 3, text(338, "Confirmé"));
        view_.setText("frdialogue", view_.text("frdialogue") + text(339, ": Terminé"));
    }
    return finish(std::move(run));
}

void FrmErreur::cdarret_Click() {
    view_.setValue("MousePointer", kPointerDefault);
    frmparam_.setEnabled("cddiag", true);
    frmparam_.setEnabled("cdparametre", true);
    view_.setVisible("frmerreur", false);
}

}  // namespace dravio::diag
