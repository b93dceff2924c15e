// The main window driving the link end to end: demonstration mode and the
// simulator, measuring, the graph and map windows, the traffic console and the
// bench responder. Waits are on conditions with generous time-outs: the link
// thread runs on the real clock.
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLineEdit>
#include <QRegularExpression>
#include <set>

#include "gui/graph_window.h"
#include "gui/map_window.h"
#include "gui/options_window.h"
#include "gui/responder_window.h"
#include "gui/session_controller.h"
#include "gui_fixture.h"
#include "link/link.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"
#include "responder_process.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"

namespace dravio::gui::testing {
namespace {

constexpr int kLinkTimeoutMs = 30000;

// Qt's own waiting macros return quietly outside a Qt Test run: these fail the test.
#define WAIT_FOR(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs)) << #condition
#define WAIT_EQ(actual, expected, timeoutMs)                                                   \
    do {                                                                                         \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, timeoutMs);                  \
        ASSERT_EQ(actual, expected);                                                             \
    } while (false)

class SessionTest : public AppTest {
protected:
    QPushButton& button(MainWindow& main, const char* name) { return *main.findChild<QPushButton*>(name); }

    quint32 shape1(MainWindow& main) { return main.findChild<QWidget*>("Shape1")->property("bgr").toUInt(); }

    int rpm(MainWindow& main) {
        QString digits = labelText(main, "Rmp");
        digits.remove(QRegularExpression("[^0-9]"));
        return digits.isEmpty() ? -1 : digits.toInt();
    }

    // Engine speeds shown while measuring, until `count` different ones were seen.
    std::set<int> watchRpm(MainWindow& main, std::size_t count) {
        std::set<int> seen;
        (void)QTest::qWaitFor(
            [&] {
                if (const int value = rpm(main); value >= 0) seen.insert(value);
                return seen.size() >= count;
            },
            kLinkTimeoutMs);
        return seen;
    }

    bool titleShowsCycleRate(MainWindow& main) { return main.windowTitle().contains(" Hz)D="); }
};

TEST_F(SessionTest, DemonstrationInitialiseMeasureGraphMapStopQuit) {
    writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n");
    auto& main = startToMainWindow();
    ASSERT_TRUE(app->modeDemo());

    main.action("MnInit")->trigger();  // F2
    WAIT_FOR(shape1(main) == link::kShape1Green, kLinkTimeoutMs);
    WAIT_FOR(button(main, "cdparametre").isEnabled(), kLinkTimeoutMs);
    EXPECT_FALSE(button(main, "cdintialisation").isEnabled());
    EXPECT_TRUE(main.action("mnparam")->isEnabled());

    main.action("mnparam")->trigger();  // F3
    WAIT_EQ(button(main, "cdparametre").text(), QString("Stop - F3"), kLinkTimeoutMs);
    const auto seen = watchRpm(main, 3);
    EXPECT_GE(seen.size(), 3U) << "the demonstration engine speed changes every cycle";
    for (const int value : seen) {
        EXPECT_GE(value, 990);
        EXPECT_LE(value, 5990);
    }
    WAIT_FOR(titleShowsCycleRate(main), kLinkTimeoutMs);

    // The graph: its box opens the window and each cycle draws a frame.
    auto* session = app->session();
    QSignalSpy drawn(session, &SessionController::graphDrawn);
    main.findChild<QCheckBox*>("chgraph")->click();
    ASSERT_NE(session->graphWindow(), nullptr);
    EXPECT_TRUE(session->graphWindow()->isVisible());
    EXPECT_TRUE(session->graphWindow()->findChild<QCheckBox*>("chtrace")->isChecked());
    WAIT_FOR(drawn.count() >= 3, kLinkTimeoutMs);
    WAIT_FOR(!session->graphWindow()->picture().frame().commands.empty(), kLinkTimeoutMs);

    // The map: visited cells appear while its box is checked.
    QSignalSpy mapped(session, &SessionController::mapDrawn);
    main.findChild<QCheckBox*>("chMap")->click();
    ASSERT_NE(session->mapWindow(), nullptr);
    WAIT_FOR(mapped.count() >= 2, kLinkTimeoutMs);
    int visible = 0;
    for (int i = 0; i < display::kMapCells; ++i) visible += session->mapWindow()->picture().shape(i).visible ? 1 : 0;
    EXPECT_GE(visible, 1);

    // Unchecking the curve box in the graph window clears the main window's box.
    session->graphWindow()->findChild<QCheckBox*>("chtrace")->click();
    WAIT_FOR(!main.findChild<QCheckBox*>("chgraph")->isChecked(), 5000);

    button(main, "cdparametre").click();
    WAIT_EQ(button(main, "cdparametre").text(), QString("Paramètres - F3"), kLinkTimeoutMs);
    WAIT_FOR(button(main, "cdparametre").isEnabled(), kLinkTimeoutMs);
    EXPECT_FALSE(titleShowsCycleRate(main));
    quitAndWait();
}

TEST_F(SessionTest, ResponderServesAPseudoTerminalAndStopsWhenClosed) {
    auto& main = startToMainWindow();
    main.action("mnrepond")->trigger();
    auto* responder = app->session()->responderWindow();
    ASSERT_NE(responder, nullptr);
    auto& start = *responder->findChild<QPushButton*>("cdDemarrer");
    start.click();
    ASSERT_TRUE(responder->running());
    const QString path = responder->devicePath();
    EXPECT_TRUE(path.startsWith("/dev/"));
    EXPECT_TRUE(labelText(*responder, "lbPort").contains(path));

    // Bytes written on the device show in the sniffed traffic.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const unsigned char request[] = {0x81, 0x10, 0xF1, 0x81, 0x03};
    ASSERT_EQ(::write(fd, request, sizeof request), static_cast<ssize_t>(sizeof request));
    auto* sniff = responder->findChild<QPlainTextEdit*>("ltSniff");
    WAIT_FOR(sniff->toPlainText().contains("T> 81 10 F1 81 03"), 10000);
    ::close(fd);

    start.click();
    EXPECT_FALSE(responder->running());
    EXPECT_EQ(start.text(), QString::fromUtf8("Démarrer"));

    // Closing the window while it serves ends the responder too.
    start.click();
    ASSERT_TRUE(responder->running());
    responder->close();
    EXPECT_FALSE(responder->running());
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing

namespace dravio::gui::testing {
namespace {

// The machine's devices, with the bench responder's pseudo-terminal as the one
// USB K-line cable found.
class PtyAsKLineCable final : public session::DeviceFactory {
public:
    explicit PtyAsKLineCable(std::string path) : path_(std::move(path)) {}
    std::unique_ptr<ports::KLineCable> ftdiCable() override { return real_->ftdiCable(); }
    std::unique_ptr<ports::KLineCable> ttyCable() override { return real_->ttyCable(); }
    std::unique_ptr<ports::SerialPort> serialPort() override { return real_->serialPort(); }
    std::vector<std::string> serialDevices() override { return {path_}; }
    std::vector<std::string> klineDevices() override { return {path_}; }

private:
    std::string path_;
    std::unique_ptr<session::DeviceFactory> real_ = session::realDeviceFactory();
};

TEST_F(SessionTest, SerialKLineCableOnTheBenchRespondersPseudoTerminalReachesTheEcu) {
    dravio::testing::ResponderProcess responder({"--model", "59m"});
    ASSERT_EQ(responder.path().rfind("/dev/", 0), 0U);
    devices = [path = responder.path()](base::Clock&) { return std::make_unique<PtyAsKLineCable>(path); };
    writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n");
    ASSERT_EQ(startApp(), Application::Start::Running);
    auto& choice = interfaceWindowLoaded();
    stepAndWait(choice, [&] { choice.findChild<QAbstractButton*>("opType5")->click(); });
    EXPECT_EQ(choice.findChild<QComboBox*>("cbUSB")->currentText(), qs(responder.path()));
    QSignalSpy ready(app.get(), &Application::mainWindowReady);
    choice.findChild<QAbstractButton*>("cdOK")->click();
    ASSERT_TRUE(ready.wait(5000));
    auto& main = *app->mainWindow();
    EXPECT_FALSE(app->modeDemo());

    main.action("MnInit")->trigger();
    WAIT_FOR(shape1(main) == link::kShape1Green, kLinkTimeoutMs);
    WAIT_FOR(labelText(main, "lbPanel5").contains("IAW59M"), kLinkTimeoutMs);
    EXPECT_EQ(support::IniFile(ini()).readString(support::keys::Interface, support::keys::Device, ""),
              responder.path());
    quitAndWait();
}

TEST_F(SessionTest, WindowsToComeStayShutAndAModelChangeTakesTheLinkDownVisibly) {
    writeIni("[ECU]\nType=1\n[Menu]\nauto=0\n");
    auto& main = startToMainWindow();
    main.action("MnInit")->trigger();
    WAIT_FOR(button(main, "cdparametre").isEnabled(), kLinkTimeoutMs);
    // An MM15 has its fault and trimmer windows.
    for (const char* name : {"cdTrimer15", "cddiag"}) EXPECT_TRUE(button(main, name).isEnabled()) << name;
    for (const char* name : {"mnTrim15M", "mndiag"}) EXPECT_TRUE(main.action(name)->isEnabled()) << name;

    app->openOptions();
    auto* options = app->optionsWindow();
    ASSERT_NE(options, nullptr);
    auto& model = *options->findChild<QComboBox*>("TypeEcu");
    model.setCurrentText("MM16");
    emit model.activated(model.currentIndex());
    options->findChild<QPushButton*>("cdOK")->click();

    WAIT_FOR(button(main, "cdintialisation").isEnabled(), kLinkTimeoutMs);
    EXPECT_FALSE(button(main, "cdparametre").isEnabled());
    EXPECT_FALSE(button(main, "CdReInit").isEnabled());
    WAIT_FOR(shape1(main) == link::kShape1Red, kLinkTimeoutMs);
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing

namespace dravio::gui::testing {
namespace {

TEST_F(SessionTest, IdentificationMenuStopsTheCycleFirstThenShowsTheRecord) {
    writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n");
    auto& main = startToMainWindow();
    EXPECT_FALSE(main.action("mnIdentification")->isEnabled());  // nothing to read before the link is up
    main.action("MnInit")->trigger();
    WAIT_FOR(main.action("mnIdentification")->isEnabled(), kLinkTimeoutMs);
    main.action("mnparam")->trigger();
    WAIT_EQ(button(main, "cdparametre").text(), QString("Stop - F3"), kLinkTimeoutMs);

    // While measuring the first click only stops the cycle.
    main.action("mnIdentification")->trigger();
    WAIT_EQ(button(main, "cdparametre").text(), QString("Paramètres - F3"), kLinkTimeoutMs);
    EXPECT_EQ(main.findChild<QDialog*>("frmIdentification"), nullptr);

    QSignalSpy shown(app->session(), &SessionController::identificationShown);
    main.action("mnIdentification")->trigger();
    ASSERT_TRUE(shown.wait(kLinkTimeoutMs));
    auto* window = main.findChild<QDialog*>("frmIdentification");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(labelText(*window, "lbDucati"), "Ducati Number : 28640751A  ");
    EXPECT_EQ(labelText(*window, "lbDate"), "Programming Date : 20030828");
    window->findChild<QPushButton*>("cdquitter")->click();  // the measurements can start again
    WAIT_FOR(button(main, "cdparametre").isEnabled() && main.action("mnIdentification")->isEnabled(), kLinkTimeoutMs);
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
