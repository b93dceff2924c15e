// frmerreur and frmTrimmer15 opened from the main window while a measurement
// cycle runs in demonstration mode: the first click stops the cycle, the second
// opens the window, and the window shows what the procedures report.
#include <QAction>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "diag/onebyte_model.h"
#include "gui/erreur_window.h"
#include "gui/onebyte_controller.h"
#include "gui/session_controller.h"
#include "gui/trimmer15_window.h"
#include "gui_fixture.h"

namespace dravio::gui::testing {
namespace {

constexpr int kTimeoutMs = 30000;

#define WAIT_FOR(condition) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, kTimeoutMs)) << #condition

class OneByteWindowsTest : public AppTest {
protected:
    QPushButton& button(QWidget& window, const char* name) {
        auto* b = window.findChild<QPushButton*>(name);
        EXPECT_NE(b, nullptr) << name;
        return *b;
    }
    QString title(QWidget& window, const char* name) { return window.findChild<QGroupBox*>(name)->title(); }
    quint32 bgr(QWidget& window, const char* name) {
        return window.findChild<QWidget*>(name)->property("bgr").toUInt();
    }

    // A 15M in demonstration mode, link up and measuring.
    MainWindow& measuring() {
        writeIni("[ECU]\nType=1\n[Menu]\nauto=0\n");
        auto& main = startToMainWindow();
        main.action("MnInit")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return button(main, "cdparametre").isEnabled(); }, kTimeoutMs));
        main.action("mnparam")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return button(main, "cdparametre").text() == "Stop - F3"; }, kTimeoutMs));
        return main;
    }
    // The first click only ends the cycle; the second opens the window.
    template <class Signal>
    void openWithTwoClicks(MainWindow& main, const char* opener, Signal shown) {
        button(main, opener).click();
        WAIT_FOR(button(main, "cdparametre").text() == QString("Paramètres - F3"));
        QSignalSpy opened(app->session()->oneByte(), shown);
        EXPECT_FALSE(opened.wait(300));
        button(main, opener).click();
        ASSERT_TRUE(opened.wait(kTimeoutMs));
    }
};

TEST_F(OneByteWindowsTest, FaultWindowReadsAndRunsATestWhileTheMainWindowWaits) {
    auto& main = measuring();
    ASSERT_NO_FATAL_FAILURE(openWithTwoClicks(main, "cddiag", &OneByteController::erreurShown));
    auto* window = app->session()->oneByte()->erreurWindow();
    ASSERT_NE(window, nullptr);
    WAIT_FOR(button(*window, "cddiag2").text() == "Test Pompe Essence");
    EXPECT_EQ(labelText(*window, "ldef3"), "Statut Moteur");
    EXPECT_EQ(title(*window, "frpresent"), "Erreur(s) présente(s) / Failure(s) now");
    // The line belongs to the window until it closes.
    EXPECT_FALSE(button(main, "cddiag").isEnabled());
    EXPECT_FALSE(button(main, "cdTrimer15").isEnabled());
    EXPECT_FALSE(button(main, "cdparametre").isEnabled());

    button(*window, "cderreur").click();
    WAIT_FOR(labelText(*window, "rdef3") == "48");
    EXPECT_EQ(labelText(*window, "rdef6"), "03");
    const QString text = window->findChild<QPlainTextEdit*>("Text1")->toPlainText();
    EXPECT_TRUE(text.startsWith("Défauts Présents :\nDéfaut Capteur Papillon\n   en C.C GND\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Moteur arrêté\nPapillon au maxi ou mini / TPS max or min\n")) << text.toStdString();

    button(*window, "cddiag2").click();
    WAIT_FOR(labelText(*window, "lrecu3") == "Confirmé");
    EXPECT_EQ(title(*window, "frdialogue"), "Test Pompe (30s): Terminé");
    EXPECT_EQ(labelText(*window, "lenvoie2"), "Test OK");
    EXPECT_TRUE(button(*window, "cdarret").isEnabled());
    EXPECT_TRUE(main.centralWidget()->isEnabled());

    button(*window, "cdarret").click();
    WAIT_FOR(button(main, "cddiag").isEnabled() && button(main, "cdparametre").isEnabled());
    EXPECT_EQ(app->session()->oneByte()->erreurWindow(), nullptr);
    quitAndWait();
}

TEST_F(OneByteWindowsTest, TrimmerWindowMeasuresThenStepsAndStores) {
    auto& main = measuring();
    ASSERT_NO_FATAL_FAILURE(openWithTwoClicks(main, "cdTrimer15", &OneByteController::trimmerShown));
    auto* window = app->session()->oneByte()->trimmerWindow();
    ASSERT_NE(window, nullptr);
    WAIT_FOR(window->windowTitle() == "Test Trimmer 15M");
    EXPECT_FALSE(button(main, "cddiag").isEnabled());

    button(*window, "cdMesures").click();
    WAIT_FOR(labelText(*window, "lbRPM") == "360");
    EXPECT_EQ(labelText(*window, "lbTPS"), "1.5");
    EXPECT_EQ(labelText(*window, "lbVolt"), "5.0");
    EXPECT_EQ(labelText(*window, "lbTrim"), "1");
    EXPECT_EQ(button(*window, "cdMesures").text(), "Stop");
    EXPECT_FALSE(window->findChild<QGroupBox*>("frExec")->isEnabled());

    button(*window, "cdMesures").click();  // the loop ends
    WAIT_FOR(window->findChild<QGroupBox*>("frExec")->isEnabled());
    EXPECT_EQ(labelText(*window, "lbTrimStaut"), "Stop motor OFF to Change Trimmer");
    // A click that comes before the loop has wound up would only stop it again.
    QTest::qWait(300);

    button(*window, "cdAA").click();
    WAIT_FOR(bgr(*window, "shStatut") == diag::kGreen);
    ASSERT_FALSE(presenter.messages.empty());
    EXPECT_EQ(presenter.messages.back().text, "Motor ON now and click OK");
    EXPECT_EQ(labelText(*window, "lbTrimStaut"), "ECU Ready if Motor ON");
    EXPECT_EQ(labelText(*window, "lbTrim"), "-113");  // the demonstration's trimmer read
    button(*window, "cdTrim1").click();
    WAIT_FOR(bgr(*window, "shStatut") == diag::kBlue);
    EXPECT_EQ(labelText(*window, "lbTrim"), "-112");
    button(*window, "cdSave").click();
    WAIT_FOR(bgr(*window, "shStatut") == diag::kYellow);

    button(*window, "cdFin").click();
    WAIT_FOR(button(main, "cddiag").isEnabled());
    EXPECT_EQ(app->session()->oneByte()->trimmerWindow(), nullptr);
    quitAndWait();
}

TEST_F(OneByteWindowsTest, ClosingTheTrimmerWindowEndsItsRunningLoop) {
    auto& main = measuring();
    ASSERT_NO_FATAL_FAILURE(openWithTwoClicks(main, "cdTrimer15", &OneByteController::trimmerShown));
    auto* window = app->session()->oneByte()->trimmerWindow();
    button(*window, "cdMesures").click();
    WAIT_FOR(labelText(*window, "lbRPM") == "360");
    window->close();
    WAIT_FOR(button(main, "cddiag").isEnabled() && button(main, "cdparametre").isEnabled());
    // The line is free again: the main window's cycle starts.
    button(main, "cdparametre").click();
    WAIT_FOR(button(main, "cdparametre").text() == "Stop - F3");
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
