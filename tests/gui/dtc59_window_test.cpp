// The fault and test window of the 59M/5AM from the main window, in demonstration
// mode: opened by its button while measuring (first click stops the cycle) and by
// its menu entry, browsing and clearing the fault codes, an actuator test with its
// progress bar and the TPS reset's confirmation.
#include "gui/dtc59_window.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "gui/ctl_bar_graph.h"
#include "gui/session_controller.h"
#include "gui/trace_window.h"
#include "gui_fixture.h"

namespace dravio::gui::testing {
namespace {

constexpr int kLinkTimeoutMs = 30000;

#define WAIT_FOR(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs)) << #condition

class Dtc59WindowTest : public AppTest {
protected:
    QPushButton& button(QWidget& window, const char* name) { return *window.findChild<QPushButton*>(name); }

    // Start-up with the 59M/5AM in demonstration mode, the link up.
    MainWindow& linkUp() {
        writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n");
        auto& main = startToMainWindow();
        EXPECT_FALSE(main.action("mndiag")->isEnabled());  // nothing to read before the link is up
        main.action("MnInit")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return button(main, "cddiag").isEnabled(); }, kLinkTimeoutMs));
        return main;
    }

    Dtc59Window& opened(const std::function<void()>& click) {
        QSignalSpy shown(app->session(), &SessionController::diagnosticShown);
        click();
        EXPECT_TRUE(shown.wait(kLinkTimeoutMs));
        auto* window = app->session()->dtc59Window();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        return *window;
    }

    int traceLinesWith(const QString& text) {
        int n = 0;
        auto& list = app->traceWindow()->ltTrace();
        for (int i = 0; i < list.count(); ++i) n += list.item(i)->text().contains(text) ? 1 : 0;
        return n;
    }
};

TEST_F(Dtc59WindowTest, ButtonWhileMeasuringStopsFirstThenBrowsingAndClearing) {
    auto& main = linkUp();
    EXPECT_TRUE(main.action("mndiag")->isEnabled());
    main.action("mnparam")->trigger();
    WAIT_FOR(button(main, "cdparametre").text() == "Stop - F3", kLinkTimeoutMs);

    button(main, "cddiag").click();  // only stops the cycle
    WAIT_FOR(button(main, "cdparametre").text() == "Paramètres - F3", kLinkTimeoutMs);
    EXPECT_TRUE(app->session()->dtc59Window() == nullptr || !app->session()->dtc59Window()->isVisible());

    auto& w = opened([&] { button(main, "cddiag").click(); });
    EXPECT_FALSE(button(main, "cddiag").isEnabled());
    EXPECT_FALSE(button(main, "cdparametre").isEnabled());
    EXPECT_EQ(labelText(w, "LabelNbErr"), "Erreur numéro 1 sur 2");
    EXPECT_TRUE(labelText(w, "LabelTextError").startsWith("P0201\n"));
    EXPECT_TRUE(w.findChild<QRadioButton*>("Cause2")->isChecked());
    EXPECT_TRUE(w.findChild<QRadioButton*>("Memo1")->isChecked());
    EXPECT_FALSE(button(w, "ButtonPrevious").isEnabled());
    EXPECT_TRUE(button(w, "ButtonNext").isEnabled());

    button(w, "ButtonNext").click();
    WAIT_FOR(labelText(w, "LabelNbErr") == "Erreur numéro 2 sur 2", kLinkTimeoutMs);
    EXPECT_TRUE(labelText(w, "LabelTextError").startsWith("U1600\n"));
    EXPECT_FALSE(button(w, "ButtonNext").isEnabled());
    EXPECT_TRUE(button(w, "ButtonPrevious").isEnabled());

    // Clearing reloads the window: the memory is read again and DTC 1 shown anew.
    ASSERT_NE(app->traceWindow(), nullptr);
    const int firstShown = traceLinesWith("Erreur n°:1 P0201");
    button(w, "CleanError").click();
    WAIT_FOR(traceLinesWith("Erreur n°:1 P0201") > firstShown, kLinkTimeoutMs);
    WAIT_FOR(labelText(w, "LabelNbErr") == "Erreur numéro 1 sur 2", kLinkTimeoutMs);
    EXPECT_FALSE(button(w, "ButtonPrevious").isEnabled());

    button(w, "ButtonClose").click();
    WAIT_FOR(button(main, "cddiag").isEnabled() && button(main, "cdparametre").isEnabled(), kLinkTimeoutMs);
    quitAndWait();
}

TEST_F(Dtc59WindowTest, MenuOpensItAndAnActuatorTestRunsItsProgressBar) {
    auto& main = linkUp();
    auto& w = opened([&] { main.action("mndiag")->trigger(); });
    auto& combo = *w.findChild<QComboBox*>("ComboChoixTest");
    ASSERT_EQ(combo.count(), 9);
    EXPECT_FALSE(button(w, "CdeStartTest").isEnabled());  // until a test is chosen

    combo.setCurrentIndex(0);
    emit combo.activated(0);
    WAIT_FOR(labelText(w, "LMax") == "2s", kLinkTimeoutMs);
    EXPECT_EQ(labelText(w, "LDescription"), "Vérifiez que le compte tour monte à 3750 tr/mn.");
    auto& bar = *w.findChild<CtlBarGraph*>("ProgressBar1");
    EXPECT_EQ(bar.Maxi(), 10);

    button(w, "CdeStartTest").click();
    // The demonstration ECU is a 5AM: the note on the needle follows.
    WAIT_FOR(labelText(w, "LDescription").contains("\nTest OK\nmême si"), kLinkTimeoutMs);
    EXPECT_EQ(button(w, "CdeStartTest").text(), "Arrêter le test");
    EXPECT_FALSE(combo.isEnabled());
    WAIT_FOR(bar.Percent() > 0, kLinkTimeoutMs);
    // The run ends by itself after its ten ticks.
    WAIT_FOR(button(w, "CdeStartTest").text() == "Lancer le test" && bar.Percent() == 0, kLinkTimeoutMs);
    EXPECT_TRUE(combo.isEnabled());

    // The TPS reset asks first; cancelling gives the buttons back.
    button(w, "cdresetTPS").click();
    auto& confirm = *w.findChild<QGroupBox*>("frConfirm");
    WAIT_FOR(confirm.isVisible(), kLinkTimeoutMs);
    EXPECT_FALSE(w.findChild<QGroupBox*>("frResetM5")->isEnabled());
    button(w, "cdConfirmer1").click();
    WAIT_FOR(!confirm.isVisible() && w.findChild<QGroupBox*>("frResetM5")->isEnabled(), kLinkTimeoutMs);

    w.close();
    WAIT_FOR(main.action("mndiag")->isEnabled(), kLinkTimeoutMs);
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
