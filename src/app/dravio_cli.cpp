// dravio-cli: the scriptable face of Dravio's core, for scripts, tests and
// garages without a screen.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "app/cli_convert.h"
#include "app/cli_diag59.h"
#include "app/cli_replay.h"
#include "app/cli_update.h"
#include "app/cli_decode.h"
#include "app/cli_link.h"
#include "app/cli_mts.h"
#include "app/cli_onebyte.h"
#include "app/cli_record.h"
#include "base/number_pattern.h"
#include "diag/dtc59_faults.h"
#include "diag/erreur_json.h"
#include "diag/erreur_text.h"
#include "ecu/measurement_cycle.h"
#include "link/link.h"
#include "link/trace.h"
#include "proto/framing.h"
#include "proto/hex.h"
#include "proto/kwp_frame.h"
#include "proto/models.h"
#include "proto/request_table.h"
#include "session/interface_choice.h"

namespace dravio::app {
namespace {

constexpr const char* kUsage = R"(Usage: dravio-cli COMMAND [OPTIONS]

Commands:
  frame [--ecu M] [--header XXXX] REQUEST
        Print the line text sent for REQUEST (hex service bytes) with model M
        (default 59m). An empty line means nothing is sent.
  checksum HEX
        Print the checksum of a hex message text.
  slots [--ecu M]
        Print the request table of model M (default 59m), one slot a line:
        name, request and answer length, separated by tabs.
  models
        Print the model list: settings number, name and command-line name.
  demo [--ecu M]
        Run a few exchanges in demonstration mode and print the trace.
  decode --ecu M [--fast] ANSWER...
        Print, as one JSON object, the live values worked out from the given
        answers (one-byte models: the ten answers in request order; 59m: one
        block or fast-mode answer; obd: the eight answers in order).
  --interface IF [--ecu M] [--init] [--length N] [--timeout MS]
        [--demo-answer HEX] exchange REQUEST...
        Send each request through the exchange engine in one session and print
        one answer line each (an empty line when none came). Without --init
        nothing but the requests goes on the line; with --init the ECU is
        woken first as init does. The answer length defaults to the request
        table's, else 255; the time-out to 1000 ms.
  --interface IF [--ecu M] init [--yes]
        Initialise the link as the initialisation button does: wake-up,
        StartCommunication, identification. Prints "OK" and the
        identification, or why it failed; status 0 only when the link is up.
  --interface IF [--ecu M] live [--count K] [--json] [--fast] [--yes]
        [--csv] [--xlsx] [--afr SOURCE[:PATH]]
        Initialise the link, then run the measurement cycle and print one
        line per cycle with the shown values and the cycle rate, until K
        cycles or Ctrl+C; then close the link as the program does at exit.
        --fast asks engine speed alone (59m), as the idle graph does.
        --csv and --xlsx record as the main window's CSV and Excel boxes do,
        into the data folder, and print the files' names at the end.
        --afr reads an external AFR source as the AFR window does: dlp, mts
        or usb1208, on the serial device PATH (simulated with sim:MODEL).
  --interface IF [--ecu M] identify [--yes]
        Initialise the link, then print the identification window's eight
        lines (prefix and value), one per line, empty ones included.
  --interface IF [--ecu M] dtc [--json] [--clear] [--yes]
        Initialise the link, then read the fault memory: one line (or one JSON
        object) per fault of a 59M/5AM or OBD-II ECU, the seven fault rows and
        their decoded lines for an MM16, MM15 or 15RC. --clear (59m, obd)
        clears the memory first and shows what the ECU still reports.

Models (M): a settings number 0-5 or a name: mm16 (0), mm15 (1), 15rc (2),
  p8 (3), 59m or 5am (4), obd (5). With --interface sim:MODEL the default is
  that model, else 59m.
  mts HEX...
        Feed each HEX argument to the MTS stream reader as one read of the
        port; after each, print AFR1 and AFR2 as the AFR window shows them.

Interfaces (IF):
  sim[:MODEL]          a simulated ECU on a simulated cable (59m, 5am, obd,
                       mm16, mm15, 15rc, p8; default from --ecu)
  tty:PATH             a K-line cable seen as a tty, or a bench responder's
                       pseudo-terminal (10400 baud, 7812 for one-byte models)
  elm:PATH             an ELM327 adapter on a serial port (38400 baud)
  ftdi[:DESCRIPTION]   an FTDI K-line cable through libftdi (the first one
                       found when no description is given)
  demo                 demonstration mode: nothing on the line

Options:
  --trace      print the trace lines as they are written
  --traffic    print every byte on the K-line, with time and direction, on stderr
  --language L the language of the procedure's texts (Francais, English,
               Italiano, Deutsch, Nederlands; default Francais)
  --yes        answer the procedure's questions (turn the key off, then on)
               at once instead of waiting for Enter
  --help       show this text

Exit status: 0 on success, 1 when the interface cannot be opened, the link
stays down or the ECU refuses, 2 on bad arguments.
)";

void requireHex(const std::string& text, const std::string& what, bool evenLength) {
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw UsageError(what + " must be hex digits, not '" + text + "'");
    }
    if (evenLength && text.size() % 2 != 0) throw UsageError(what + " must have two digits per byte");
}

std::string upper(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

proto::Model readModel(CliArgs& args, proto::Model fallback) {
    const auto text = args.takeOption("ecu");
    return text ? parseModel(*text) : fallback;
}

std::string onePositional(CliArgs& args, const char* what) {
    const auto words = args.positionals();
    if (words.size() != 1) throw UsageError(std::string("expected one ") + what);
    return words[0];
}

int commandFrame(CliArgs& args) {
    const auto model = readModel(args, proto::Model::M59);
    std::string header{proto::kEnteteRequeteDefaut};
    if (auto h = args.takeOption("header")) {
        requireHex(*h, "--header", true);
        if (h->size() != 4) throw UsageError("--header must be 4 hex digits (target and source address)");
        header = upper(*h);
    }
    const auto request = upper(onePositional(args, "REQUEST"));
    if (const auto problem = proto::requestProblem(request, model)) throw UsageError("REQUEST: " + *problem);
    std::cout << proto::frameRequest(request, model, header) << '\n';
    return 0;
}

int commandChecksum(CliArgs& args) {
    const auto text = onePositional(args, "HEX text");
    requireHex(text, "HEX", false);
    std::cout << proto::CalculChecksum(text) << '\n';
    return 0;
}

int commandSlots(CliArgs& args) {
    const auto model = readModel(args, proto::Model::M59);
    if (!args.positionals().empty()) throw UsageError("slots takes no other argument");
    const proto::RequestTable table;
    for (const auto slot : proto::allSlots()) {
        std::cout << proto::slotName(slot) << '\t' << table.request(slot, model) << '\t' << table.length(slot, model)
                  << '\n';
    }
    return 0;
}

int commandModels(CliArgs& args) {
    if (!args.positionals().empty()) throw UsageError("models takes no other argument");
    for (const auto& row : proto::modelTable()) {
        // The OBD-II model is never offered by name in the options window.
        const std::string_view name = row.name.empty() ? std::string_view("OBD-II") : row.name;
        std::cout << proto::modelIndex(row.model) << ' ' << name << ' ' << row.cliName << '\n';
    }
    return 0;
}

// Demonstration mode: nothing goes on the line, every request gets its canned
// answer, and the trace shows what would have been sent.
int commandDemo(CliArgs& args) {
    const auto model = readModel(args, proto::Model::M59);
    if (!args.positionals().empty()) throw UsageError("demo takes no other argument");
    CliLinkOptions options;
    options.trace = true;
    CliLink line({session::InterfaceKind::Demo, ""}, model, options);
    line.link().TraceActive = true;

    std::cout << "Mode Demo, model " << proto::modelIndex(model) << " (" << proto::rowOf(model).cliName << ")\n";
    const proto::RequestTable table;
    struct Step {
        proto::Slot slot;
        std::string demoAnswer;
    };
    // Canned answers shaped like a 59M's: positive answer, data, checksum.
    const auto answerFrame = [](const std::string& data) {
        return proto::toHex(proto::buildKwpFrame(proto::KwpAddressing::Physical, 0xF1, 0x10, proto::fromHex(data)));
    };
    const Step steps[] = {
        {proto::Slot::ReqStartCom, answerFrame("C1EF8F")},
        {proto::Slot::ReqRegime, answerFrame("61300C1E")},
        {proto::Slot::ReqPresent, answerFrame("7E")},
        {proto::Slot::ReqStopCom, answerFrame("C2")},
    };
    for (const auto& step : steps) {
        const auto request = table.request(step.slot, model);
        const auto length = table.length(step.slot, model);
        std::cout << proto::slotName(step.slot) << ": request \"" << request << "\", " << length
                  << " bytes expected\n";
        const auto answer = line.exchange(request, step.demoAnswer, length, 500);
        std::cout << "answer " << (answer.empty() ? "(none)" : proto::spacedHex(answer)) << "\n\n";
    }
    return 0;
}

std::int16_t defaultLength(const std::string& request, proto::Model model) {
    const proto::RequestTable table;
    for (const auto slot : proto::allSlots()) {
        if (!request.empty() && table.request(slot, model) == request) return table.length(slot, model);
    }
    return 255;
}

struct LinkArgs {
    session::InterfaceChoice choice;
    proto::Model model = proto::Model::M59;
    CliLinkOptions options;
};

// --interface, --ecu (defaulting to the simulated model), --trace, --traffic, --yes.
LinkArgs linkArgs(CliArgs& args, const std::optional<std::string>& interface, const std::string& command) {
    if (!interface) {
        throw UsageError(command + " needs --interface sim[:MODEL], tty:PATH, elm:PATH, ftdi[:DESCRIPTION] or demo");
    }
    LinkArgs link;
    std::string error;
    const auto choice = session::InterfaceChoice::parse(*interface, error);
    if (!choice) throw UsageError(error);
    link.choice = *choice;
    std::optional<proto::Model> simulated;
    if (choice->kind == session::InterfaceKind::Simulator && !choice->detail.empty()) {
        simulated = proto::modelFromCliName(choice->detail);
        if (!simulated) {
            throw UsageError("unknown simulated model '" + choice->detail + "' (59m, 5am, obd, mm16, mm15, 15rc, p8)");
        }
    }
    link.model = readModel(args, simulated.value_or(proto::Model::M59));
    link.options.trace = args.takeFlag("trace");
    link.options.traffic = args.takeFlag("traffic");
    link.options.yes = args.takeFlag("yes");
    if (const auto language = args.takeOption("language")) link.options.language = *language;
    return link;
}

// A negative answer to StartCommunication, as the trace decoded it.
std::optional<std::string> refusal(const link::Trace& trace) {
    for (const auto& line : trace.lines()) {
        if (line.rfind("Nack : 81", 0) == 0) return line;
    }
    return std::nullopt;
}

// The initialisation button; prints "OK" and the identification, or why not.
bool initialiseAndSay(CliLink& line) {
    const bool up = line.initialise();
    if (const auto nack = refusal(line.link().trace())) {
        std::cout << "StartCommunication refused: " << *nack << '\n' << std::flush;
        return false;
    }
    if (!up) {
        std::cout << line.session().failure() << '\n' << std::flush;
        return false;
    }
    std::cout << "OK\n" << line.session().identification() << '\n' << std::flush;
    return true;
}

// Requests through the exchange engine, on the interface named, in one session.
int commandExchange(CliArgs& args, const std::optional<std::string>& interface) {
    auto link = linkArgs(args, interface, "exchange");
    const bool init = args.takeFlag("init");
    const auto demoAnswer = args.takeOption("demo-answer");
    std::optional<std::int16_t> length;
    if (const auto text = args.takeOption("length")) {
        const int n = parseInt(*text, "--length");
        if (n < 0 || n > 255) throw UsageError("--length must be between 0 and 255");
        length = static_cast<std::int16_t>(n);
    }
    std::int16_t timeout = 1000;
    if (const auto text = args.takeOption("timeout")) {
        const int n = parseInt(*text, "--timeout");
        if (n < 1 || n > 32767) throw UsageError("--timeout must be between 1 and 32767");
        timeout = static_cast<std::int16_t>(n);
    }
    auto requests = args.positionals();
    if (requests.empty()) throw UsageError("exchange takes at least one REQUEST");
    for (auto& request : requests) {
        request = upper(request);
        if (const auto problem = proto::requestProblem(request, link.model)) throw UsageError("REQUEST: " + *problem);
    }
    if (demoAnswer) requireHex(*demoAnswer, "--demo-answer", true);
    link.options.awake = !init;
    CliLink line(link.choice, link.model, link.options);
    if (init && !initialiseAndSay(line)) return 1;
    for (const auto& request : requests) {
        const auto answer = line.exchange(request, demoAnswer ? upper(*demoAnswer) : "",
                                          length.value_or(defaultLength(request, link.model)), timeout);
        std::cout << answer << '\n' << std::flush;
    }
    line.close();
    return 0;
}

// The initialisation button: wake-up, identification; status 0 only with the link up.
int commandInit(CliArgs& args, const std::optional<std::string>& interface) {
    auto link = linkArgs(args, interface, "init");
    if (!args.positionals().empty()) throw UsageError("init takes no other argument");
    CliLink line(link.choice, link.model, link.options);
    const bool up = initialiseAndSay(line);
    line.close();
    return up ? 0 : 1;
}

// Ctrl+C ends a live run the way the stop button does: after the current cycle.
std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted = true; }

// The measurement cycle on the command line: one line per cycle.
int commandLive(CliArgs& args, const std::optional<std::string>& interface) {
    auto link = linkArgs(args, interface, "live");
    int count = 0;
    if (const auto text = args.takeOption("count")) {
        count = parseInt(*text, "--count");
        if (count < 1) throw UsageError("--count must be at least 1");
    }
    const bool json = args.takeFlag("json");
    const bool fast = args.takeFlag("fast");
    const auto recording = takeLiveRecording(args);
    if (!args.positionals().empty()) throw UsageError("live takes no other argument");
    link.options.DossierData = recording.DossierData;
    link.options.lambda = recording.lambda;
    CliLink line(link.choice, link.model, link.options);
    if (!initialiseAndSay(line)) return 1;
    startLiveRecording(recording, line.session(), line.link().trace(), std::cerr);

    interrupted = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    int cycles = 0;
    double previous = 0;
    auto& session = line.session();
    const base::ViewState& view = session.view();
    line.onRecord([&](const ecu::CycleRecord& r) {
        ++cycles;
        const double dt = r.secondes - previous;
        previous = r.secondes;
        const double hz = dt > 0 ? 1.0 / dt : 0.0;
        if (json) {
            std::cout << "{\"cycle\":" << cycles << ",\"t\":" << base::fixedDecimals(r.secondes, 3)
                      << ",\"Regime\":" << base::fixedDecimals(r.Regime, 0)
                      << ",\"Papillon\":" << base::fixedDecimals(r.Papillon, 1)
                      << ",\"Injection\":" << base::fixedDecimals(r.Injection, 2)
                      << ",\"AvanceVal\":" << base::fixedDecimals(r.AvanceVal, 1)
                      << ",\"PressionVal\":" << base::fixedDecimals(r.PressionVal, 0)
                      << ",\"TempAir\":" << base::fixedDecimals(r.TempAir, 1)
                      << ",\"TempEau\":" << base::fixedDecimals(r.TempEau, 1)
                      << ",\"TensionVal\":" << base::fixedDecimals(r.TensionVal, 1)
                      << ",\"Hz\":" << base::fixedDecimals(hz, 1) << "}\n";
        } else {
            std::cout << "RMP " << view.text("Rmp") << "  Gaz " << view.text("Potar") << "  Inj "
                      << view.text("Injection") << "  Av " << view.text("Avance") << "  P " << view.text("Pression")
                      << "  Air " << view.text("Air") << "  Mot " << view.text("Eau") << "  Bat "
                      << view.text("Tension");
            if (recording.lambda.SourceAFR != display::AfrSource::None) std::cout << "  " << afrShown(session);
            std::cout << "  (" << base::fixedDecimals(hz, 1) << " Hz)\n";
        }
        std::cout << std::flush;
        if ((count > 0 && cycles >= count) || interrupted) session.stopMeasuring();
    });
    if (fast) session.setChecked("chgraph", true);
    session.parametre();
    stopLiveRecording(recording, session, std::cout);
    const bool lost = !line.link().deviceLost().empty();
    const bool failed = lost || (session.cycle().NbRates >= 2 && (count == 0 || cycles < count) && !interrupted);
    line.close();
    if (failed && !lost) std::cerr << "dravio-cli: the ECU stopped answering\n";
    return failed ? 1 : 0;
}

// The identification window on the command line.
int commandIdentify(CliArgs& args, const std::optional<std::string>& interface) {
    auto link = linkArgs(args, interface, "identify");
    if (!args.positionals().empty()) throw UsageError("identify takes no other argument");
    CliLink line(link.choice, link.model, link.options);
    if (!initialiseAndSay(line)) return 1;
    for (const auto& text : line.session().identify()) std::cout << text << '\n';
    std::cout << std::flush;
    line.close();
    return 0;
}

// The fault codes of a KWP2000 or OBD-II ECU.
int commandDtc(CliArgs& args, const std::optional<std::string>& interface) {
    auto link = linkArgs(args, interface, "dtc");
    const bool json = args.takeFlag("json");
    const bool clear = args.takeFlag("clear");
    if (!args.positionals().empty()) throw UsageError("dtc takes no other argument");
    if (link.model == proto::Model::P8) throw UsageError("a P8 has no fault memory to read");
    CliLink line(link.choice, link.model, link.options);
    if (!initialiseAndSay(line)) return 1;
    if (proto::isOneByte(link.model)) {
        if (clear) throw UsageError("--clear is for the 59m, 5am and obd");
        const auto reading = line.session().readOneByteFaults();
        if (reading) std::cout << (json ? diag::faultReadingToJson(*reading) : diag::faultReadingToText(*reading)) << '\n';
        line.close();
        return reading && reading->done ? 0 : 1;
    }
    const auto faults = line.session().readFaults(clear);
    for (const auto& f : faults) {
        if (json) {
            std::cout << diag::dtc59Json(f) << '\n';
        } else {
            std::cout << f.n << "/" << f.of << "  " << f.code << "  " << f.text << "  " << f.text2 << "  " << f.cause
                      << "  " << f.memo << (f.lamp ? "  lamp" : "") << "  cycles " << f.cycles << '\n';
        }
    }
    if (faults.empty() && !json) std::cout << "no fault\n";
    std::cout << std::flush;
    line.close();
    return 0;
}

// Actuator tests, resets and the immobiliser status of the KWP2000 and OBD-II models.
int commandDiag59(CliArgs& args, const LinkArgs& link, const std::string& command) {
    const auto words = args.positionals();
    checkDiag59Arguments(command, words, link.model);
    CliLink line(link.choice, link.model, link.options);
    if (!initialiseAndSay(line)) return 1;
    const int status = runDiag59(line, command, words, link.options.yes, std::cin, std::cout);
    line.close();
    return status;
}

// Diagnostic-mode tests and the 15M trimmer of the one-byte models.
int commandOneByte(CliArgs& args, const LinkArgs& link, const std::string& command) {
    std::unique_ptr<CliLink> line;
    const OpenLink open = [&]() -> CliLink* {
        line = std::make_unique<CliLink>(link.choice, link.model, link.options);
        return initialiseAndSay(*line) ? line.get() : nullptr;
    };
    const int status = command == "trim15" ? commandTrim15(args, link.model, open, std::cout)
                                           : commandOneByteTest(args, link.model, open, std::cout);
    if (line) line->close();
    return status;
}

int run(int argc, char** argv) {
    CliArgs args(argc, argv);
    if (args.takeFlag("help") || argc < 2) {
        std::cout << kUsage << "\nDiagnostics of the 59m, 5am and obd:\n"
                  << kDiag59Usage << "\nOne-byte diagnostics:\n  " << kOneByteUsage << "\nRecordings and updates:\n  "
                  << kConvertUsage << "  " << kReplayUsage << "  " << kUpdateUsage;
        return argc < 2 ? 2 : 0;
    }
    const std::string command = args.takeCommand(
        {"ecu", "header", "interface", "demo-answer", "count", "length", "timeout", "server", "speed", "output",
         "language", "afr", "set"});
    const auto interface = args.takeOption("interface");
    if (interface && command != "exchange" && command != "init" && command != "live" && command != "identify" &&
        command != "dtc" && command != "trim15" && !isDiag59Command(command)) {
        throw UsageError("--interface only goes with the commands that talk to an ECU");
    }
    if (command == "frame") return commandFrame(args);
    if (command == "checksum") return commandChecksum(args);
    if (command == "slots") return commandSlots(args);
    if (command == "models") return commandModels(args);
    if (command == "demo") return commandDemo(args);
    if (command == "exchange") return commandExchange(args, interface);
    if (command == "init") return commandInit(args, interface);
    if (command == "live") return commandLive(args, interface);
    if (command == "identify") return commandIdentify(args, interface);
    if (command == "dtc") return commandDtc(args, interface);
    if (command == "trim15" || isDiag59Command(command)) {
        const auto link = linkArgs(args, interface, command);
        // "test" names a diagnostic-mode command on a one-byte ECU, an actuator test on the others.
        if (command == "trim15" || (command == "test" && proto::isOneByte(link.model))) {
            return commandOneByte(args, link, command);
        }
        return commandDiag59(args, link, command);
    }
    if (command == "decode") return commandDecode(args);
    if (command == "mts") {
        for (const auto& line : mtsLines(args.positionals())) std::cout << line << '\n';
        return 0;
    }
    if (command == "convert") return commandConvert(args, std::cout, std::cerr);
    if (command == "replay") return commandReplay(args, std::cout, std::cerr);
    if (command == "update") return commandUpdate(args, std::cout);
    throw UsageError(command.empty() ? "no command given" : "unknown command '" + command + "'");
}

}  // namespace
}  // namespace dravio::app

int main(int argc, char** argv) {
    try {
        return dravio::app::run(argc, argv);
    } catch (const dravio::app::UsageError& e) {
        std::cerr << "dravio-cli: " << e.what() << " (see dravio-cli --help)\n";
        return 2;
    } catch (const dravio::app::InterfaceError& e) {
        std::cerr << "dravio-cli: " << e.what() << '\n';
        return 1;
    }
}
