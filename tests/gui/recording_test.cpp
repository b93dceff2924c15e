// The main window's CSV and Excel boxes and the AFR window while measuring the
// simulator: the files in the data folder carry what the windows showed.
#include <QCheckBox>
#include <QPushButton>

#include "data_files.h"
#include "gui/afr_window.h"
#include "gui/session_controller.h"
#include "gui_fixture.h"
#include "link/link.h"

namespace dravio::gui::testing {
namespace {

constexpr int kLinkTimeoutMs = 30000;

#define WAIT_FOR(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs)) << #condition

class RecordingWindowTest : public AppTest {};

TEST_F(RecordingWindowTest, CsvAndExcelWhileMeasuringWithTheDlpChannels) {
    // Both lines 0-5 V = 10-20 AFR (stored x 100).
    writeIni(
        "[ECU]\nType=4\n[Menu]\nauto=0\n[COM]\nPORT=1\nLC-DLP=DLP-IO8\n[DLP]\nV1L=0\nV1H=500\nFR1L=1000\n"
        "FR1H=2000\nV2L=0\nV2H=500\nFR2L=1000\nFR2H=2000\n");
    const auto files = [this](const char* ext) {
        return dravio::testing::filesEndingIn(documents() / "Dravio" / "Data", ext);
    };
    ASSERT_EQ(startApp(), Application::Start::Running);
    auto& choice = interfaceWindowLoaded();
    stepAndWait(choice, [&] { choice.findChild<QAbstractButton*>("opType4")->click(); });
    QSignalSpy ready(app.get(), &Application::mainWindowReady);
    choice.findChild<QAbstractButton*>("cdOK")->click();
    ASSERT_TRUE(ready.wait(5000));
    auto& main = *app->mainWindow();
    auto* csv = main.findChild<QCheckBox*>("chCSV");
    auto* excel = main.findChild<QCheckBox*>("Chenregistre");
    EXPECT_TRUE(csv->isEnabled());
    EXPECT_TRUE(excel->isEnabled());  // libxlsxwriter is there and the data folder writable

    main.action("MnInit")->trigger();
    WAIT_FOR(main.findChild<QPushButton*>("cdparametre")->isEnabled(), kLinkTimeoutMs);
    main.action("mnparam")->trigger();
    // Measuring shows the AFR window of the chosen source.
    WAIT_FOR(app->session()->afrWindow() != nullptr && app->session()->afrWindow()->isVisible(), kLinkTimeoutMs);
    auto& afr = *app->session()->afrWindow();
    afr.findChild<QCheckBox*>("chDLP")->click();
    WAIT_FOR(labelText(afr, "lbAFR0") == "15.000" && labelText(afr, "lbAFR1") == "15.996", kLinkTimeoutMs)
        << labelText(afr, "lbAFR0").toStdString();

    csv->click();
    excel->click();
    WAIT_FOR(labelText(main, "lbPanel2") == "Traces Excel", kLinkTimeoutMs);
    QSignalSpy cycles(app->session(), &SessionController::mainChanged);
    WAIT_FOR(cycles.count() >= 5 && files(".txt").size() == 1, kLinkTimeoutMs);

    // Stopping the measurements saves the workbook and clears its box; the CSV goes on.
    main.findChild<QPushButton*>("cdparametre")->click();
    WAIT_FOR(!excel->isChecked() && files(".xlsx").size() == 1, kLinkTimeoutMs);
    EXPECT_TRUE(csv->isChecked());
    csv->click();
    WAIT_FOR(files(".csv").size() == 1 && files(".txt").empty(), kLinkTimeoutMs);
    const std::string text = dravio::testing::fileBytes(files(".csv")[0]);
    EXPECT_EQ(text.rfind("Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\r\n", 0),
              0u);
    EXPECT_NE(text.find(";15.000;15.996;0\r\n"), std::string::npos) << text;
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
