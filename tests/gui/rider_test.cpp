// What the rider sees and what reaches the ECU when they click: the trimmer keys
// and reset against the simulated 59M, the options window keeping the link, a lost
// link shown at once, demonstration mode never entered silently.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "gui/options_window.h"
#include "gui/session_controller.h"
#include "gui/trace_window.h"
#include "gui/traffic_window.h"
#include "gui_fixture.h"
#include "link/link.h"
#include "sim/kwp_session.h"
#include "sim/responder.h"
#include "support/ini_file.h"
#include "support/settings.h"

namespace dravio::gui::testing {
namespace {

constexpr int kLinkTimeoutMs = 30000;

#define WAIT_FOR(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs)) << #condition

class RiderTest : public AppTest {
protected:
    QPushButton& button(MainWindow& main, const char* name) { return *main.findChild<QPushButton*>(name); }
    quint32 shape1(MainWindow& main) { return main.findChild<QWidget*>("Shape1")->property("bgr").toUInt(); }
    bool measuring(MainWindow& main) { return button(main, "cdparametre").text() == "Stop - F3"; }

    // The simulated 59M behind the simulator's cable, measuring.
    MainWindow& measuringOnTheSimulator(const std::string& extraIni = "") {
        writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n[Interface]\nType=4\n[Mesures]\nTrimmer=1\n" + extraIni);
        auto& main = startToMainWindow();
        EXPECT_FALSE(app->modeDemo());
        main.action("MnInit")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return button(main, "cdparametre").isEnabled(); }, kLinkTimeoutMs));
        main.action("mnparam")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return measuring(main); }, kLinkTimeoutMs));
        return main;
    }

    support::Settings storedSettings() {
        support::Settings settings;
        settings.load(support::IniFile(ini()));
        return settings;
    }

    // The requests sent on the line since the traffic window opened.
    QString traffic() {
        auto* window = app->session()->trafficWindow();
        return window ? window->list().toPlainText() : QString();
    }
};

// The trimmer adjust request with the wanted value, as it appears in the traffic.
QString trimmerRequest(int value) {
    return QString("30 15 07 %1").arg(static_cast<unsigned>(value < 0 ? value + 256 : value), 2, 16, QChar('0')).toUpper();
}

TEST_F(RiderTest, TrimmerKeysAndResetMoveTheScrollBarAndTheEcuFollows) {
    auto& main = measuringOnTheSimulator();
    main.action("mnTrafic")->trigger();
    auto& reset = button(main, "cdTrimmer");
    WAIT_FOR(reset.isEnabled() && reset.isVisible() && reset.text().startsWith("Reset to "), kLinkTimeoutMs);
    const int initial = reset.text().mid(QString("Reset to ").size()).toInt();
    WAIT_FOR(main.action("mnPlus")->isEnabled() && main.action("mnMoinsUn")->isEnabled(), kLinkTimeoutMs);

    main.action("mnPlus")->trigger();  // F7
    WAIT_FOR(labelText(main, "lbTrimmer") == QString::number(initial + 1), 5000);
    WAIT_FOR(traffic().contains(trimmerRequest(initial + 1)), kLinkTimeoutMs);

    main.action("mnMoinsUn")->trigger();  // F6
    main.action("mnMoinsUn")->trigger();
    WAIT_FOR(labelText(main, "lbTrimmer") == QString::number(initial - 1), 5000);
    WAIT_FOR(traffic().contains(trimmerRequest(initial - 1)), kLinkTimeoutMs);

    // The reset puts the value read at start back, never 0.
    const auto before = traffic().count(trimmerRequest(initial));
    reset.click();
    WAIT_FOR(labelText(main, "lbTrimmer") == QString::number(initial), 5000);
    WAIT_FOR(traffic().count(trimmerRequest(initial)) > before, kLinkTimeoutMs);
    quitAndWait();
}

TEST_F(RiderTest, DoubleClickingTheTrimmerFrameSwitchesItsChannel) {
    auto& main = measuringOnTheSimulator();
    auto* frame = main.findChild<QGroupBox*>("Frtrimmer");
    WAIT_FOR(labelText(main, "Trimmer") != "--" && !labelText(main, "Trimmer").isEmpty(), kLinkTimeoutMs);
    QTest::mouseDClick(frame, Qt::LeftButton);
    WAIT_FOR(labelText(main, "Trimmer") == "--", 5000);
    EXPECT_FALSE(storedSettings().Trimmer);
    QTest::mouseDClick(frame, Qt::LeftButton);
    WAIT_FOR(labelText(main, "Trimmer") != "--", kLinkTimeoutMs);
    EXPECT_TRUE(storedSettings().Trimmer);
    quitAndWait();
}

TEST_F(RiderTest, OptionsOkWithoutALinkChangeKeepsTheLinkAndTheMeasurements) {
    auto& main = measuringOnTheSimulator();
    app->openOptions();
    auto* options = app->optionsWindow();
    ASSERT_NE(options, nullptr);
    options->findChild<QAbstractButton*>("opFahrenheit")->click();
    options->findChild<QPushButton*>("cdOK")->click();

    WAIT_FOR(measuring(main), kLinkTimeoutMs);
    EXPECT_EQ(shape1(main), link::kShape1Green);
    EXPECT_EQ(labelText(main, "lbPanel1"), "Init : ON");
    EXPECT_TRUE(main.findChild<QGroupBox*>("Frair")->title().endsWith("(°F)"));
    WAIT_FOR(labelText(main, "Rmp").remove(QRegularExpression("[^0-9]")).toInt() > 0, kLinkTimeoutMs);

    // Cancel resumes too.
    app->openOptions();
    app->optionsWindow()->findChild<QPushButton*>("cdAnnuler")->click();
    WAIT_FOR(measuring(main), kLinkTimeoutMs);
    quitAndWait();
}

TEST_F(RiderTest, ASilentEcuShowsTheLinkDownAndNoValue) {
    auto& main = measuringOnTheSimulator();
    WAIT_FOR(labelText(main, "Rmp").remove(QRegularExpression("[^0-9]")).toInt() > 0, kLinkTimeoutMs);
    app->linkThread().post([](LinkHost& host) {
        if (auto* ecu = host.devices.simulatedEcu(); ecu && ecu->session) ecu->session->faults().dropNextAnswers(1000000);
    });
    WAIT_FOR(shape1(main) == link::kShape1Red, kLinkTimeoutMs);
    WAIT_FOR(labelText(main, "lbPanel1") == "Init : OFF", kLinkTimeoutMs);
    for (const char* label : {"Rmp", "Injection", "Air", "Eau", "Tension"}) EXPECT_EQ(labelText(main, label), "--") << label;
    WAIT_FOR(!measuring(main) && button(main, "cdintialisation").isEnabled(), kLinkTimeoutMs);
    quitAndWait();
}

TEST_F(RiderTest, TheTraceWindowComesBackFromItsMenuEntryOnceClosed) {
    auto& main = startToMainWindow();
    auto* trace = app->traceWindow();
    trace->close();
    ASSERT_FALSE(trace->isVisible());
    main.action("mnTrace")->trigger();
    EXPECT_TRUE(trace->isVisible());
    quitAndWait();
}

TEST_F(RiderTest, EscapingTheInterfaceWindowEndsTheProgramInsteadOfGoingOn) {
    ASSERT_EQ(startApp(), Application::Start::Running);
    auto& window = interfaceWindowLoaded();
    QSignalSpy finished(app.get(), &Application::finished);
    window.reject();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
    EXPECT_EQ(app->mainWindow(), nullptr);
}

}  // namespace
}  // namespace dravio::gui::testing
