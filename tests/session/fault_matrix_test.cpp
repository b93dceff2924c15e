// Faults of the line and the ECU against the session's procedures, on the virtual
// clock with the simulated 5AM: no hang, no implausible reading, no invented fault
// code or identification, and the state the user expects (transient faults
// survived, a silent ECU or a missing cable taking the link down, one
// initialisation bringing it back).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ports/sim_cable.h"
#include "session/link_host.h"
#include "sim/kwp_ecu.h"
#include "sim/responder.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;

struct Bench {
    explicit Bench(std::filesystem::path data = {}) {
        std::string error;
        // The 5AM: the 59M's answers plus its lambda word.
        EXPECT_TRUE(host.openDevices({InterfaceKind::Simulator, "5am"}, proto::Model::M59, error)) << error;
        ecu().engine().setFaults({{.code = 0x0201, .present = true, .lamp = true}, {.code = 0x0335}});
        SessionSetup setup;
        setup.model = proto::Model::M59;
        setup.modeDemo = false;
        setup.settings.autoStart = 0;
        setup.settings.cycle.Tempo = 1;
        setup.DossierData = std::move(data);
        SessionOutputs outputs;
        outputs.ask = [this](const base::MessageBox& box) {
            boxes.push_back(box.text);
            return base::MessageAnswer::Ok;
        };
        outputs.record = [this](const ecu::CycleRecord& r) {
            records.push_back(r);
            if (records.size() >= wanted) session->stopMeasuring();
        };
        session = &host.startSession(setup, outputs);
    }
    sim::Faults& faults() { return host.devices.simulatedEcu()->session->faults(); }
    sim::KwpEcu& ecu() { return dynamic_cast<sim::KwpEcu&>(*host.devices.simulatedEcu()->device); }
    ports::SimCable& cable() { return *host.devices.simCable(); }

    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    LinkHost host{clock, loop, realDeviceFactory()};
    Session* session = nullptr;
    std::vector<ecu::CycleRecord> records;
    std::vector<std::string> boxes;
    std::size_t wanted = 20;
    // The ignition comes back on after a silence.
    base::Timer ignition{loop, [this] {
                             cable().setUnplugged(false);
                             ignition.setEnabled(false);
                         }};
};

// What the ECU can send, so what a reading can be.
void expectPlausible(const std::vector<ecu::CycleRecord>& records, const std::string& cell) {
    for (const auto& r : records) {
        EXPECT_TRUE(r.Regime >= 0 && r.Regime <= 16000) << cell << ": " << r.Regime << " rpm";
        EXPECT_TRUE(r.Papillon >= 0 && r.Papillon <= 100) << cell << ": throttle " << r.Papillon;
        EXPECT_TRUE(r.TempEau >= -40 && r.TempEau <= 150) << cell << ": engine " << r.TempEau;
        EXPECT_TRUE(r.TempAir >= -40 && r.TempAir <= 150) << cell << ": air " << r.TempAir;
        EXPECT_TRUE(r.TensionVal >= 0 && r.TensionVal <= 20) << cell << ": battery " << r.TensionVal;
        // The 5AM's oxygen sensor in millivolts, 0 when its answer was refused.
        EXPECT_TRUE(r.LambdaVal >= 0 && r.LambdaVal <= 1200) << cell << ": lambda " << r.LambdaVal;
    }
}

enum class Procedure { Initialise, Measure, Record, Identify, ReadFaults, ActuatorTest };
constexpr const char* kProcedureNames[] = {"initialise / ",  "measure / ",       "record / ",
                                           "identify / ",    "read faults / ",   "actuator test / "};

std::vector<std::string> codes(const std::vector<diag::Dtc59Record>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(r.code);
    return out;
}

// The lines of the text recording in `folder` (there is one).
std::size_t recordedLines(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".txt") continue;
        std::ifstream in(entry.path());
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        return lines;
    }
    return 0;
}

enum class After { Up, Down, Either };

struct Fault {
    const char* name;
    std::function<void(Bench&)> inject;
    // After the procedure: the link's state (Either: a single lost keep-alive answer
    // rightly takes it down, so random byte errors may or may not), and (measuring)
    // the cycle still reaching its 20 cycles.
    After link;
    bool cycleSurvives;
};

TEST(FaultMatrix, EveryFaultAgainstEveryProcedure) {
    const Fault faults[] = {
        {"two answers dropped", [](Bench& b) { b.faults().dropNextAnswers(2); }, After::Up, true},
        {"two bad checksums", [](Bench& b) { b.faults().corruptChecksumOfNext(2); }, After::Up, true},
        {"corrupted bytes", [](Bench& b) { b.faults().setByteErrors(0.0, 0.02); }, After::Either, true},
        {"dropped bytes", [](Bench& b) { b.faults().setByteErrors(0.02, 0.0); }, After::Either, true},
        {"two answers past the time-out", [](Bench& b) { b.faults().delayNextAnswers(2, 700ms); }, After::Up, true},
        {"response-pending storm", [](Bench& b) { b.faults().responsePendingBeforeNext(6); }, After::Up, true},
        {"noise on the line",
         [](Bench& b) {
             for (int i = 1; i <= 5; ++i) b.faults().addNoise({b.clock.now() + i * 300ms, {0x55, 0xFF, 0x00, 0x84}});
         },
         After::Up, true},
        {"ECU silent for 10 s",
         [](Bench& b) {
             b.cable().setUnplugged(true);
             b.ignition.setInterval(10s);
             b.ignition.setEnabled(true);
         },
         After::Down, false},
        {"cable pulled out", [](Bench& b) { b.cable().setGone(true); }, After::Down, false},
    };
    // What a clean line reads, and what a silent one leaves on show.
    diag::IdentificationLines identification, unanswered;
    std::vector<std::string> memory;
    {
        Bench b;
        b.session->initialise();
        identification = b.session->identify();
        memory = codes(b.session->readFaults(false));
        b.ecu().engine().setRunning(false);  // output tests want the engine stopped
        ASSERT_TRUE(b.session->openDiagnostic([](auto) {}));
        b.session->diagnostic([](diag::FrmDTC59& w) {
            w.tests().ComboChoixTest_Click(0);
            w.tests().CdeStartTest_Click();
            EXPECT_TRUE(w.tests().TimerTestActif().enabled()) << "a clean line runs the test";
        });
        b.session->diagnosticClosed();
        b.ecu().engine().setRunning(true);
        b.wanted = 3;
        b.session->parametre();
        ASSERT_EQ(b.records.size(), 3U);
        EXPECT_GT(b.records.back().LambdaVal, 0) << "the lambda word is read every cycle";
        b.cable().setUnplugged(true);
        unanswered = b.session->identify();
    }
    ASSERT_EQ(memory, (std::vector<std::string>{"P0201", "P0335"}));
    ASSERT_NE(identification, unanswered);
    const auto data = std::filesystem::temp_directory_path() / ("dravio-matrix-" + std::to_string(::getpid()));
    for (const auto procedure : {Procedure::Initialise, Procedure::Measure, Procedure::Record, Procedure::Identify,
                                 Procedure::ReadFaults, Procedure::ActuatorTest}) {
        for (const auto& fault : faults) {
            const std::string cell = kProcedureNames[static_cast<int>(procedure)] + std::string(fault.name);
            std::filesystem::remove_all(data);
            std::filesystem::create_directories(data);
            Bench b(procedure == Procedure::Record ? data : std::filesystem::path{});
            if (procedure != Procedure::Initialise) {
                b.session->initialise();
                ASSERT_TRUE(b.session->linkUp()) << cell;
            }
            const auto start = b.clock.now();
            fault.inject(b);
            if (procedure == Procedure::Initialise) {
                b.session->initialise();
            } else if (procedure == Procedure::Identify) {
                const auto lines = b.session->identify();
                EXPECT_TRUE(lines == identification || lines == unanswered) << cell << ": " << ::testing::PrintToString(lines);
            } else if (procedure == Procedure::ReadFaults) {
                // A refused answer may lose codes, never invent one.
                for (const auto& code : codes(b.session->readFaults(false))) {
                    EXPECT_NE(std::find(memory.begin(), memory.end(), code), memory.end()) << cell << ": " << code;
                }
            } else if (procedure == Procedure::ActuatorTest) {
                b.ecu().engine().setRunning(false);
                ASSERT_TRUE(b.session->openDiagnostic([](auto) {})) << cell;
                b.session->diagnostic([](diag::FrmDTC59& w) {
                    w.tests().ComboChoixTest_Click(0);
                    w.tests().CdeStartTest_Click();
                });
                b.loop.runFor(20s);
                // The run ends on its own, whatever the ECU made of it.
                b.session->diagnostic([&cell](diag::FrmDTC59& w) {
                    EXPECT_FALSE(w.tests().TimerTestActif().enabled()) << cell << ": the test still runs";
                });
                b.session->diagnosticClosed();
            } else {
                if (procedure == Procedure::Record) b.session->setChecked("chCSV", true);
                b.session->parametre();
            }
            b.loop.runFor(5s);  // the keep-alive has its say
            EXPECT_LT(b.clock.now() - start, 3min) << cell << ": every wait is bounded";
            expectPlausible(b.records, cell);
            After expected = fault.link;
            // The 40 wake-up attempts outlast 10 s of silence: the ECU answers within them.
            if (procedure == Procedure::Initialise && fault.name == std::string("ECU silent for 10 s")) {
                expected = After::Up;
            }
            // A short procedure leaves the fault's next answers to the keep-alive,
            // which rightly takes the link down when one is lost.
            if ((procedure == Procedure::Identify || procedure == Procedure::ReadFaults ||
                 procedure == Procedure::ActuatorTest) &&
                expected == After::Up) {
                expected = After::Either;
            }
            if (expected != After::Either) {
                EXPECT_EQ(b.session->linkUp(), expected == After::Up) << cell << ": " << b.session->failure();
            }
            if (procedure == Procedure::Record) {
                // Every completed cycle has its line, whatever came after it.
                EXPECT_EQ(recordedLines(data), b.records.size() + 1) << cell << ": the header and one line a cycle";
            }
            if (procedure == Procedure::Measure || procedure == Procedure::Record) {
                EXPECT_EQ(b.records.size() >= 20, fault.cycleSurvives) << cell << ": " << b.records.size() << " cycles";
                EXPECT_FALSE(b.session->measuring()) << cell;
            }
            if (fault.name == std::string("cable pulled out")) {
                EXPECT_NE(b.boxes.back().find("débranché"), std::string::npos) << cell << ": the user is told";
            }
            if (!b.session->linkUp()) {
                // The ECU back (or the cable plugged in again): one click brings the link up.
                b.loop.runFor(10s);
                b.session->initialise();
                EXPECT_TRUE(b.session->linkUp()) << cell << " then back: " << b.session->failure();
            }
        }
    }
    std::filesystem::remove_all(data);
}

}  // namespace
}  // namespace dravio::session
