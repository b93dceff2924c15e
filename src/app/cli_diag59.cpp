#include "app/cli_diag59.h"

#include <array>
#include <chrono>
#include <istream>
#include <optional>
#include <ostream>

#include "app/cli_args.h"

namespace dravio::app {

namespace {

constexpr auto kRunSlice = std::chrono::milliseconds(50);
constexpr int kImmobiliser = 8;
constexpr int kConfirm = 2;
constexpr int kCancel = 1;

// The command-line names of the list's actuator tests, in list order.
constexpr std::array<const char*, 8> kTestNames = {"rev-counter", "fuel-pump", "coil1", "coil2",
                                                   "injector1",   "injector2", "fan1",  "fan2"};

std::optional<int> testIndex(const std::string& name) {
    for (std::size_t i = 0; i < kTestNames.size(); ++i) {
        if (name == kTestNames[i]) return static_cast<int>(i);
    }
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '7') return name[0] - '0';
    return std::nullopt;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const auto end = text.find("\r\n", start);
        out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return out;
}

// Prints the lines the description label gains, as the window shows them.
class DescriptionPrinter {
public:
    explicit DescriptionPrinter(std::ostream& out) : out_(out) {}
    void take(const std::map<std::string, base::ControlState>& changes) {
        const auto it = changes.find("LDescription");
        if (it == changes.end() || !it->second.text) return;
        const auto now = lines(*it->second.text);
        // A text that does not continue the one shown replaces it.
        std::size_t same = 0;
        while (same < shown_.size() && same < now.size() && shown_[same] == now[same]) ++same;
        if (same < shown_.size()) same = 0;
        for (std::size_t i = same; i < now.size(); ++i) out_ << now[i] << '\n';
        out_ << std::flush;
        shown_ = now;
        last_ = *it->second.text;
    }
    const std::string& text() const { return last_; }

private:
    std::ostream& out_;
    std::vector<std::string> shown_;
    std::string last_;
};

bool running(session::Session& session) {
    bool on = false;
    session.diagnostic([&](diag::FrmDTC59& w) { on = w.tests().TimerTestActif().enabled(); });
    return on;
}

// Lets the run's timer tick until it ends.
void waitForTheEnd(CliLink& line) {
    while (running(line.session())) line.host().loop.runFor(kRunSlice);
}

}  // namespace

bool isDiag59Command(const std::string& command) {
    return command == "test" || command == "tps-reset" || command == "service-reset" || command == "immobiliser";
}

void checkDiag59Arguments(const std::string& command, const std::vector<std::string>& words, proto::Model model) {
    if (!proto::isKwp(model)) {
        throw UsageError(command + " for the " + std::string(proto::rowOf(model).name) +
                         " is not available yet: it runs on the 59m, 5am and obd");
    }
    if (command == "test") {
        if (words.size() != 1) throw UsageError("test takes one test name");
        if (!testIndex(words[0])) {
            throw UsageError("unknown test '" + words[0] +
                             "' (rev-counter, fuel-pump, coil1, coil2, injector1, injector2, fan1, fan2, 0-7)");
        }
    } else if (!words.empty()) {
        throw UsageError(command + " takes no other argument");
    }
}

int runDiag59(CliLink& line, const std::string& command, const std::vector<std::string>& words, bool confirmed,
              std::istream& in, std::ostream& out) {
    auto& session = line.session();
    DescriptionPrinter printer(out);
    if (!session.openDiagnostic([&](std::map<std::string, base::ControlState> c) { printer.take(c); })) {
        out << "the diagnostic window cannot open for this model\n";
        return 1;
    }
    bool accepted = false;
    if (command == "test" || command == "immobiliser") {
        const int index = command == "test" ? *testIndex(words.at(0)) : kImmobiliser;
        session.diagnostic([&](diag::FrmDTC59& w) {
            w.tests().ComboChoixTest_Click(index);
            w.tests().CdeStartTest_Click();
            accepted = w.tests().TimerTestActif().enabled();
        });
        if (index == kImmobiliser) accepted = !printer.text().empty();
    } else if (command == "service-reset") {
        bool is5AM = false;
        session.diagnostic([&](diag::FrmDTC59& w) { is5AM = w.tests().is5AM(); });
        if (!is5AM) {
            out << "the service reset is for the 5AM only\n";
        } else {
            session.diagnostic([&](diag::FrmDTC59& w) {
                w.tests().cdService_Click();
                accepted = w.tests().TimerTestActif().enabled();
            });
        }
    } else {
        if (!confirmed) {
            out << "Reset TPS: CONFIRMER ! [y/N] " << std::flush;
            std::string answer;
            std::getline(in, answer);
            confirmed = answer == "y" || answer == "Y" || answer == "yes";
        }
        // The confirmation frame's button, clicked once the frame is up.
        const int choice = confirmed ? kConfirm : kCancel;
        line.host().loop.post([&session, choice] {
            session.diagnostic([choice](diag::FrmDTC59& w) { w.tests().cdConfirmer_Click(choice); });
        });
        session.diagnostic([&](diag::FrmDTC59& w) {
            w.tests().cdresetTPS_Click();
            accepted = w.tests().TimerTestActif().enabled();
        });
        if (!confirmed) out << "cancelled: nothing sent\n";
    }
    if (accepted) waitForTheEnd(line);
    session.diagnosticClosed();
    out << std::flush;
    return accepted ? 0 : 1;
}

}  // namespace dravio::app
