// dravio-responder: a simulated ECU, or an ELM327 adapter with one behind it,
// served on a pseudo-terminal or a real serial device, for testing the
// program's real tty backends (or another tester) without a motorcycle.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "app/responder_lambda.h"
#include "sim/pty.h"
#include "sim/responder.h"
#include "sim/sniff_log.h"

namespace {

constexpr const char* kUsage = R"(Usage: dravio-responder (--pty | --device PATH) [OPTIONS]

Plays a simulated ECU on a serial line and logs every byte both ways.

  --pty            Create a pseudo-terminal, print the path of its slave side
                   (the device to open, e.g. /dev/pts/5) and serve it until
                   killed or until standard input closes.
  --device PATH    Serve a real serial device instead.
  --model NAME     59m (default), 5am, obd, mm16, mm15, 15rc or p8.
  --no-echo        Do not echo the tester's bytes (a K-line echoes them).
  --elm            Be an ELM327 adapter (text commands at 38400 baud) with the
                   ECU behind it; no K-line echo then.
  --clone          With --elm: a typical clone ("ELM327 v1.5", no FI, KW, WM).
  --lenient        Accept StartCommunication without a wake-up (default on a
                   pseudo-terminal, which carries no break).
  --strict         Require a wake-up even on a pseudo-terminal.
  --log FILE       Sniff log (default ./dravio-sniff.log): one line per byte
                   or burst, seconds since the start, "T>" tester to ECU or
                   "<E" ECU to tester, the bytes in hex.
  --mts            Be two chained LC-1 wideband controllers instead of an ECU:
                   an MTS packet every 81.92 ms at 19200 baud, warming up for
                   10 s, then a slow lambda sweep.
  --dlp            Be a DLP-IO8 module instead of an ECU (115200 baud): "\"
                   binary mode, "Z"/"X" read inputs 1 and 2 (2.50 V, 3.00 V).
  --help           Show this text.

On a pseudo-terminal neither breaks nor baud rates travel: a lone 0xF0 byte
after at least 300 ms of silence counts as a fast wake-up, and one-byte
models start awake at 7812 baud.

Exit status: 0 when stopped, 1 when the line cannot be served, 2 on bad arguments.
)";

struct Usage {
    std::string message;
};

struct Arguments {
    bool pty = false;
    std::string device;
    std::string model = "59m";
    bool echo = true;
    bool elm = false;
    bool clone = false;
    int lenient = -1;  // -1: by line kind
    std::string log = "./dravio-sniff.log";
    bool help = false;
    bool mts = false;
    bool dlp = false;
};

Arguments parse(int argc, char** argv) {
    Arguments a;
    const auto value = [&](int& i, const std::string& name) -> std::string {
        if (i + 1 >= argc) throw Usage{name + " needs a value"};
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help") {
            a.help = true;
        } else if (word == "--pty") {
            a.pty = true;
        } else if (word == "--device") {
            a.device = value(i, word);
        } else if (word == "--model") {
            a.model = value(i, word);
            bool known = false;
            for (const auto m : dravio::sim::kResponderModels) known = known || m == a.model;
            if (!known) throw Usage{"unknown model '" + a.model + "' (59m, 5am, obd, mm16, mm15, 15rc, p8)"};
        } else if (word == "--no-echo") {
            a.echo = false;
        } else if (word == "--elm") {
            a.elm = true;
        } else if (word == "--clone") {
            a.clone = true;
        } else if (word == "--lenient") {
            a.lenient = 1;
        } else if (word == "--strict") {
            a.lenient = 0;
        } else if (word == "--mts") {
            a.mts = true;
        } else if (word == "--dlp") {
            a.dlp = true;
        } else if (word == "--log") {
            a.log = value(i, word);
        } else {
            throw Usage{"unknown argument '" + word + "'"};
        }
    }
    if (a.help) return a;
    if (a.pty == !a.device.empty()) throw Usage{"give either --pty or --device PATH"};
    if (a.clone && !a.elm) throw Usage{"--clone needs --elm"};
    if (a.mts + a.dlp + a.elm > 1) throw Usage{"give only one of --mts, --dlp and --elm"};
    return a;
}

// Standard input stops the responder only when something can close it.
bool watchable(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || ::isatty(fd);
}

int run(const Arguments& a) {
    namespace sim = dravio::sim;
    if (a.mts || a.dlp) {
        return dravio::app::serveLambdaSource(a.mts, a.pty, a.device, a.log,
                                              watchable(STDIN_FILENO) ? STDIN_FILENO : -1);
    }
    dravio::base::RealClock clock;
    dravio::base::RealClock::tightenTimerSlack();
    const auto origin = clock.now();

    std::string error;
    auto log = sim::SniffLog::open(a.log, origin, error);
    if (!log) {
        std::cerr << "dravio-responder: " << error << '\n';
        return 1;
    }

    const bool lenient = a.lenient == -1 ? a.pty : a.lenient == 1;
    sim::SimulatedEcu ecu = sim::makeSimulatedEcu(a.model, lenient, false, origin);
    sim::ResponderOptions options;
    options.echo = a.echo && !a.elm;
    options.lenient = lenient;
    options.elm = a.elm;
    options.profile = a.clone ? sim::Elm327Profile::clone() : sim::Elm327Profile::genuine();
    sim::Responder responder(ecu, options, log.get());

    sim::Pty pty;
    int fd = -1;
    if (a.pty) {
        if (!pty.create(error)) {
            std::cerr << "dravio-responder: " << error << '\n';
            return 1;
        }
        fd = pty.masterFd();
        std::cout << pty.slavePath() << '\n' << std::flush;
    } else {
        fd = sim::openDevice(a.device, a.elm ? 38400 : ecu.baud, error);
        if (fd < 0) {
            std::cerr << "dravio-responder: " << error << '\n';
            return 1;
        }
    }
    const int stopFd = watchable(STDIN_FILENO) ? STDIN_FILENO : -1;
    const int status = sim::serve(fd, stopFd, responder, clock, a.pty ? &sim::ttyBaud : nullptr, error);
    if (!a.pty) ::close(fd);
    if (status != 0) std::cerr << "dravio-responder: " << error << '\n';
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const Arguments a = parse(argc, argv);
        if (a.help) {
            std::cout << kUsage;
            return 0;
        }
        return run(a);
    } catch (const Usage& u) {
        std::cerr << "dravio-responder: " << u.message << " (see dravio-responder --help)\n";
        return 2;
    }
}
