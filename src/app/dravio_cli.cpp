// dravio-cli: the scriptable face of Dravio's core, for scripts, tests and
// garages without a screen.
#include <atomic>
#include <csignal>
#include <memory>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "app/cli_convert.h"
#include "app/cli_replay.h"
#include "app/cli_update.h"
#include "app/cli_decode.h"
#include "app/cli_session.h"
#include "base/number_pattern.h"
#include "ecu/measurement_cycle.h"
#include "base/clock.h"
#include "base/event_loop.h"
#include "base/hex.h"
#include "ecu/models.h"
#include "ecu/request_table.h"
#include "link/framing.h"
#include "link/link.h"
#include "link/trace.h"

namespace dravio::app {
namespace {

constexpr const char* kUsage = R"(Usage: dravio-cli COMMAND [OPTIONS]

Commands:
  frame [--ecu N] [--header XXXX] REQUEST
        Print the line text sent for REQUEST (hex service bytes) with model N
        (default 4). An empty line means nothing is sent.
  checksum HEX
        Print the checksum of a hex message text.
  slots [--ecu N]
        Print the request table of model N (default 4), one slot a line:
        name, request and answer length, separated by tabs.
  models
        Print the model list: index and name.
  demo [--ecu N]
        Run a few exchanges in demonstration mode and print the trace.
  decode --ecu N [--fast] ANSWER...
        Print, as one JSON object, the live values worked out from the given
        answers (models 0-3: the one-byte answers in request order; model 4:
        one block or fast-mode answer; model 5: the eight answers in order).
  --interface IF [--ecu N] [--demo-answer HEX] exchange REQUEST [LENGTH] [TIMEOUT_MS]
        Send one request through the exchange engine and print the answer
        (an empty line when none came); no wake-up: a simulated ECU starts
        awake. LENGTH defaults to the request table's length for that
        request, else 8; TIMEOUT_MS to 1000. demo answers --demo-answer.
  --interface IF --ecu N init [--trace] [--traffic]
        Initialise the link as the initialisation button does: wake-up,
        StartCommunication, identification. Prints "OK" and the
        identification, or why it failed; status 0 only when the link is up.
  --interface IF --ecu N live [--count K] [--json] [--fast]
        Initialise the link, then run the measurement cycle and print one
        line per cycle with the shown values and the cycle rate, until K
        cycles or Ctrl+C; then close the link as the program does at exit.
        --fast asks engine speed alone (model 4), as the idle graph does.

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
  --help       show this text

Exit status: 0 on success, 1 when the interface cannot be opened or the link
stays down, 2 on bad arguments.
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

int readModel(CliArgs& args, int fallback) {
    const auto text = args.takeOption("ecu");
    if (!text) return fallback;
    const int model = parseInt(*text, "--ecu");
    if (model < 0 || model > 7) throw UsageError("--ecu must be between 0 and 7");
    return model;
}

std::string onePositional(CliArgs& args, const char* what) {
    const auto words = args.positionals();
    if (words.size() != 1) throw UsageError(std::string("expected one ") + what);
    return words[0];
}

int commandFrame(CliArgs& args) {
    const int model = readModel(args, 4);
    std::string header{link::kEnteteRequeteDefaut};
    if (auto h = args.takeOption("header")) {
        requireHex(*h, "--header", true);
        if (h->size() != 4) throw UsageError("--header must be 4 hex digits (target and source address)");
        header = upper(*h);
    }
    const auto request = upper(onePositional(args, "REQUEST"));
    requireHex(request, "REQUEST", true);
    std::cout << link::frameRequest(request, model, header) << '\n';
    return 0;
}

int commandChecksum(CliArgs& args) {
    const auto text = onePositional(args, "HEX text");
    requireHex(text, "HEX", false);
    std::cout << base::CalculChecksum(text) << '\n';
    return 0;
}

int commandSlots(CliArgs& args) {
    const int model = readModel(args, 4);
    if (!args.positionals().empty()) throw UsageError("slots takes no other argument");
    const ecu::RequestTable table;
    for (const auto slot : ecu::allSlots()) {
        std::cout << ecu::slotName(slot) << '\t' << table.request(slot, model) << '\t' << table.length(slot, model)
                  << '\n';
    }
    return 0;
}

int commandModels(CliArgs& args) {
    if (!args.positionals().empty()) throw UsageError("models takes no other argument");
    const auto modeles = ecu::InitModeles();
    for (int i = 0; i <= modeles.NbModeles; ++i) std::cout << i << ' ' << modeles.name(i) << '\n';
    return 0;
}

// Demonstration mode: nothing goes on the line, every request gets its canned
// answer, and the trace shows what would have been sent.
int commandDemo(CliArgs& args) {
    const int model = readModel(args, 4);
    if (!args.positionals().empty()) throw UsageError("demo takes no other argument");
    base::RealClock clock;
    base::EventLoop loop(clock);
    link::Trace trace(clock);
    link::Link engine(loop, trace);
    engine.ModeDemo = true;
    engine.TraceActive = true;
    engine.TypeECU = static_cast<std::int16_t>(model);
    trace.setOnLine([](std::string_view line) { std::cout << "trace  " << line << '\n' << std::flush; });

    const auto modeles = ecu::InitModeles();
    std::cout << "Mode Demo, model " << model << " (" << modeles.name(model) << ")\n";
    const ecu::RequestTable table;
    struct Step {
        ecu::Slot slot;
        std::string demoAnswer;
    };
    // Canned answers shaped like a 59M's: positive answer, data, checksum.
    const auto answerFrame = [](const std::string& data) {
        const std::string head = base::ByteToHex(0x80 + static_cast<int>(data.size() / 2)) + "F110" + data;
        return head + base::CalculChecksum(head);
    };
    const Step steps[] = {
        {ecu::Slot::ReqStartCom, answerFrame("C1EF8F")},
        {ecu::Slot::ReqRegime, answerFrame("61300C1E")},
        {ecu::Slot::ReqPresent, answerFrame("7E")},
        {ecu::Slot::ReqStopCom, answerFrame("C2")},
    };
    for (const auto& step : steps) {
        const auto request = table.request(step.slot, model);
        const auto length = table.length(step.slot, model);
        std::cout << ecu::slotName(step.slot) << ": request \"" << request << "\", "
                  << length << " bytes expected\n";
        const auto answer = engine.EnvoieRequete(request, step.demoAnswer, length, 500);
        std::cout << "answer " << (answer.empty() ? "(none)" : base::spacedHex(answer)) << "\n\n";
    }
    return 0;
}

std::int16_t defaultLength(const std::string& request, int model) {
    const ecu::RequestTable table;
    for (const auto slot : ecu::allSlots()) {
        if (!request.empty() && table.request(slot, model) == request) return table.length(slot, model);
    }
    return 8;
}

SessionOptions sessionOptions(CliArgs& args, bool awake) {
    SessionOptions options;
    options.awake = awake;
    if (args.takeFlag("trace")) {
        options.traceLine = [](std::string_view line) { std::cout << "trace  " << line << '\n' << std::flush; };
    }
    if (args.takeFlag("traffic")) {
        options.trafficLine = [](const std::string& line) { std::cerr << "line   " << line << '\n' << std::flush; };
    }
    return options;
}

// One request through the exchange engine, on the interface named; no wake-up.
int commandExchange(CliArgs& args, const std::optional<std::string>& interface) {
    const int model = readModel(args, 4);
    const auto demoAnswer = args.takeOption("demo-answer");
    if (!interface) throw UsageError("exchange needs --interface sim[:MODEL], tty:PATH, elm:PATH, ftdi or demo");
    auto options = sessionOptions(args, true);
    const auto words = args.positionals();
    if (words.empty() || words.size() > 3) throw UsageError("exchange takes REQUEST [LENGTH] [TIMEOUT_MS]");
    const std::string request = upper(words[0]);
    requireHex(request, "REQUEST", true);
    std::int16_t length = defaultLength(request, model);
    if (words.size() >= 2) {
        const int n = parseInt(words[1], "LENGTH");
        if (n < 0 || n > 255) throw UsageError("LENGTH must be between 0 and 255");
        length = static_cast<std::int16_t>(n);
    }
    std::int16_t timeout = 1000;
    if (words.size() == 3) {
        const int n = parseInt(words[2], "TIMEOUT_MS");
        if (n < 1 || n > 32767) throw UsageError("TIMEOUT_MS must be between 1 and 32767");
        timeout = static_cast<std::int16_t>(n);
    }
    if (demoAnswer) requireHex(*demoAnswer, "--demo-answer", true);
    const auto spec = InterfaceSpec::parse(*interface);
    CliSession session(spec, model, std::move(options));
    const std::string answer =
        session.link().EnvoieRequete(request, demoAnswer ? upper(*demoAnswer) : "", length, timeout);
    std::cout << answer << '\n' << std::flush;
    return 0;
}

// The initialisation button: wake-up, identification; status 0 only with the link up.
int commandInit(CliArgs& args, const std::optional<std::string>& interface) {
    const int model = readModel(args, 4);
    if (!interface) throw UsageError("init needs --interface sim[:MODEL], tty:PATH, elm:PATH, ftdi[:DESCRIPTION] or demo");
    auto options = sessionOptions(args, false);
    if (!args.positionals().empty()) throw UsageError("init takes no other argument");
    const auto spec = InterfaceSpec::parse(*interface);
    CliSession session(spec, model, std::move(options));
    const bool up = session.initialise();
    std::cout << (up ? std::string("OK") : session.failure()) << '\n';
    if (up) std::cout << session.identification() << '\n';
    std::cout << std::flush;
    session.close();
    return up ? 0 : 1;
}

// Ctrl+C ends a live run the way the stop button does: after the current cycle.
std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted = true; }

// The measurement cycle on the command line: one line per cycle.
int commandLive(CliArgs& args, const std::optional<std::string>& interface) {
    const int model = readModel(args, 4);
    if (!interface) throw UsageError("live needs --interface sim[:MODEL], tty:PATH, elm:PATH, ftdi[:DESCRIPTION] or demo");
    int count = 0;
    if (const auto text = args.takeOption("count")) {
        count = parseInt(*text, "--count");
        if (count < 1) throw UsageError("--count must be at least 1");
    }
    const bool json = args.takeFlag("json");
    const bool fast = args.takeFlag("fast");
    auto options = sessionOptions(args, false);
    if (!args.positionals().empty()) throw UsageError("live takes no other argument");
    const auto spec = InterfaceSpec::parse(*interface);
    CliSession session(spec, model, std::move(options));
    if (!session.initialise()) {
        std::cout << session.failure() << '\n' << std::flush;
        return 1;
    }
    std::cout << "OK " << session.identification() << '\n' << std::flush;

    interrupted = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    ecu::CycleSettings settings;
    ecu::CycleHooks hooks;
    int cycles = 0;
    double previous = 0;
    std::unique_ptr<ecu::MeasurementCycle> cycle;
    base::ViewState& view = session.view();
    hooks.onRecord = [&](const ecu::CycleRecord& r) {
        ++cycles;
        const double dt = r.secondes - previous;
        previous = r.secondes;
        const double hz = dt > 0 ? 1.0 / dt : 0.0;
        if (json) {
            std::cout << "{\"cycle\":" << cycles << ",\"t\":" << base::fixedDecimals(r.secondes, 3)
                      << ",\"Regime\":" << base::fixedDecimals(r.Regime, 0) << ",\"Papillon\":" << base::fixedDecimals(r.Papillon, 1)
                      << ",\"Injection\":" << base::fixedDecimals(r.Injection, 2) << ",\"AvanceVal\":" << base::fixedDecimals(r.AvanceVal, 1)
                      << ",\"PressionVal\":" << base::fixedDecimals(r.PressionVal, 0) << ",\"TempAir\":" << base::fixedDecimals(r.TempAir, 1)
                      << ",\"TempEau\":" << base::fixedDecimals(r.TempEau, 1) << ",\"TensionVal\":" << base::fixedDecimals(r.TensionVal, 1)
                      << ",\"Hz\":" << base::fixedDecimals(hz, 1) << "}\n";
        } else {
            std::cout << "RMP " << view.text("Rmp") << "  Gaz " << view.text("Potar") << "  Inj " << view.text("Injection")
                      << "  Av " << view.text("Avance") << "  P " << view.text("Pression") << "  Air " << view.text("Air")
                      << "  Mot " << view.text("Eau") << "  Bat " << view.text("Tension") << "  ("
                      << base::fixedDecimals(hz, 1) << " Hz)\n";
        }
        std::cout << std::flush;
        if ((count > 0 && cycles >= count) || interrupted) cycle->StopMesures = true;
    };
    cycle = std::make_unique<ecu::MeasurementCycle>(session.link(), view, settings, hooks);
    cycle->fastMode = [fast] { return fast; };
    cycle->cdparametre_Click();
    session.close();
    return cycle->NbRates >= 2 && (count == 0 || cycles < count) && !interrupted ? 1 : 0;
}

int run(int argc, char** argv) {
    CliArgs args(argc, argv);
    if (args.takeFlag("help") || argc < 2) {
        std::cout << kUsage << "\nRecordings and updates:\n  " << kConvertUsage << "  " << kReplayUsage << "  "
                  << kUpdateUsage;
        return argc < 2 ? 2 : 0;
    }
    const std::string command = args.takeCommand({"ecu", "header", "interface", "demo-answer", "count", "server", "speed", "output"});
    const auto interface = args.takeOption("interface");
    if (interface && command != "exchange" && command != "init" && command != "live") {
        throw UsageError("--interface only goes with exchange, init and live");
    }
    if (command == "frame") return commandFrame(args);
    if (command == "checksum") return commandChecksum(args);
    if (command == "slots") return commandSlots(args);
    if (command == "models") return commandModels(args);
    if (command == "demo") return commandDemo(args);
    if (command == "exchange") return commandExchange(args, interface);
    if (command == "init") return commandInit(args, interface);
    if (command == "live") return commandLive(args, interface);
    if (command == "decode") return commandDecode(args);
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
