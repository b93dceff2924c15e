// The conversion window and the replay window, opened from the main window's menus.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "../convert/dif_reader.h"
#include "base/number_pattern.h"
#include "gui/logwork_window.h"
#include "gui/replay_window.h"
#include "gui/session_controller.h"
#include "gui_fixture.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"

namespace dravio::gui::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(DRAVIO_SOURCE_DATA_DIR) / "examples" / "mes1204 -090507.csv";

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ConvertReplayTest : public AppTest {
protected:
    template <class T>
    T& child(QWidget& window, const char* name) {
        auto* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
};

TEST_F(ConvertReplayTest, ConversionWindowReadsTitlesEditsChannelsAndWritesDifAndWorkbooks) {
    const fs::path logs = root / "logs";
    fs::create_directories(logs);
    fs::copy_file(kExample, logs / "a.csv");
    fs::copy_file(kExample, logs / "b.csv");
    fs::copy_file(kExample, logs / "c.txt");
    writeIni("[Logworks]\nFolder=" + logs.string() + "\nExt=CSV\n");
    auto& main = startToMainWindow();
    ASSERT_TRUE(main.action("mnConvert")->isEnabled());
    main.action("mnConvert")->trigger();
    auto* window = app->logWorkWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Convert CSV/TXT to LogWorks DIF");

    QString folderAsked, saveAsked;
    std::vector<QString> answers;
    FileChoosers choosers;
    choosers.folder = [&](QWidget*, const QString& title, const QString&) {
        folderAsked = title;
        return QString();
    };
    choosers.saveFile = [&](QWidget*, const QString& title, const QString&, const QString&) {
        saveAsked = title;
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return answer;
    };
    window->setFileChoosers(choosers);

    auto& files = child<QListWidget>(*window, "ListFile");
    ASSERT_EQ(files.count(), 2);  // the .csv files only
    EXPECT_EQ(files.item(0)->text(), "a.csv");
    child<QPushButton>(*window, "cdFolder").click();
    EXPECT_EQ(folderAsked, "Pick a folder");
    EXPECT_EQ(files.count(), 2);  // "Retour": the folder stays

    child<QPushButton>(*window, "cdreadCSV").click();
    EXPECT_EQ(child<QListWidget>(*window, "lstTitres").count(), 12);
    auto& channels = child<QComboBox>(*window, "cbBaseDIF");
    const int air = channels.findText("TempAir");
    ASSERT_GE(air, 0);
    EXPECT_LT(channels.findText("SpeedGPS"), 0);  // not in this file
    channels.setCurrentIndex(air);
    child<QLineEdit>(*window, "Title").setText("Intake air");
    child<QPushButton>(*window, "cdUpdateDIF").click();
    child<QLineEdit>(*window, "txA").setText("3,1");
    child<QPushButton>(*window, "cdSaveCoef").click();
    EXPECT_EQ(child<QLineEdit>(*window, "txA").text(), "3.100");
    EXPECT_EQ(support::IniFile(ini()).readString(support::keys::Coef, support::keys::A, ""), "3.100");

    // "Retour" in the file dialog: nothing is written.
    QSignalSpy finished(window, &LogWorkWindow::exportFinished);
    child<QPushButton>(*window, "cdConvert").click();
    EXPECT_EQ(saveAsked, "DIF Export Name");
    EXPECT_FALSE(window->busy());
    EXPECT_EQ(finished.count(), 0);

    answers = {qs((root / "out").string())};
    child<QPushButton>(*window, "cdConvert").click();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
    EXPECT_TRUE(finished.takeFirst().at(0).toBool());
    const auto dif = dravio::testing::readDif(readAll(root / "out.dif"));
    ASSERT_TRUE(dif.has_value());
    EXPECT_EQ(dif->tuples, 12 + 7);
    ASSERT_EQ(dif->rows.size(), 19u);
    bool named = false;
    for (const auto& cell : dif->rows[3]) named = named || cell.text == "Intake air";
    EXPECT_TRUE(named);
    for (std::size_t row = 12; row < dif->rows.size(); ++row) EXPECT_EQ(dif->rows[row][0].number, 1) << row;

    // Merge: the user is told to check the columns, then both files go into one workbook.
    files.selectAll();
    answers = {qs((root / "merged.xlsx").string())};
    child<QPushButton>(*window, "cdMerge").click();
    ASSERT_FALSE(presenter.messages.empty());
    EXPECT_EQ(presenter.messages.back().text, "Control the column headers and positions");
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
    EXPECT_TRUE(finished.takeFirst().at(0).toBool());
    EXPECT_EQ(readAll(root / "merged.xlsx").substr(0, 2), "PK");

    child<QRadioButton>(*window, "OpExtention0").click();
    EXPECT_EQ(files.count(), 1);
    EXPECT_EQ(support::IniFile(ini()).readString(support::keys::Logworks, support::keys::Ext, ""), "TXT");

    child<QPushButton>(*window, "cdQuit").click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->logWorkWindow() == nullptr; }, 5000));
    quitAndWait();
}

TEST_F(ConvertReplayTest, ReplayAtSixteenTimesGivesTheGraphEveryEngineSpeed) {
    std::string text = "Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\n";
    std::vector<float> rpms;
    for (int i = 0; i < 24; ++i) {
        rpms.push_back(static_cast<float>(1000 + 20 * i));
        text += std::to_string(0.1 * i) + ";" + std::to_string(1000 + 20 * i) + ";2.5;2.45;10;1013;25;85;13.8;0;0;0\n";
    }
    const fs::path file = root / "mes.csv";
    { std::ofstream(file) << text; }
    auto& main = startToMainWindow();
    main.findChild<QCheckBox*>("chgraph")->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->session()->graphWindow() != nullptr; }, 5000));

    main.action("mnRejouer")->trigger();
    auto* replay = app->replayWindow();
    ASSERT_NE(replay, nullptr);
    ASSERT_TRUE(replay->load(qs(file.string())));
    replay->setSpeed(16);
    QSignalSpy drawn(app->session(), &SessionController::graphDrawn);
    QSignalSpy ended(replay, &ReplayWindow::finished);
    replay->findChild<QPushButton*>("cdPlay")->click();
    ASSERT_TRUE(ended.wait(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn.count() >= 24; }, 5000)) << drawn.count();
    // The last row stays shown.
    EXPECT_TRUE(QTest::qWaitFor([&] { return labelText(main, "Rmp") == qs(base::groupedInteger(1460, 1)); }, 5000))
        << labelText(main, "Rmp").toStdString();

    std::optional<display::GraphPoints> points;
    app->linkThread().request(
        app.get(), [](LinkHost& host) { return host.session->graph().points(); },
        [&](display::GraphPoints got) { points = got; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return points.has_value(); }, 5000));
    std::vector<float> samples;
    for (const auto& point : *points) samples.push_back(point[display::kSample]);
    std::vector<float> expected;
    for (float rpm : rpms) expected.push_back(std::floor(rpm / 10.0F) * 10.0F);
    EXPECT_NE(std::search(samples.begin(), samples.end(), expected.begin(), expected.end()), samples.end())
        << "graph samples do not hold every replayed engine speed in order";
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
