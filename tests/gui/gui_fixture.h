// Window tests: a program started in a fresh documents folder, with no cable,
// message boxes and outside programs recorded instead of shown.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/dialog_presenter.h"
#include "gui/interface_window.h"
#include "gui/main_window.h"
#include "fake_devices.h"
#include "support/catalog.h"

namespace dravio::gui::testing {

class RecordingPresenter final : public DialogPresenter {
public:
    struct Message {
        Icon icon;
        QString title, text;
    };
    void message(Icon icon, const QString& title, const QString& text, QWidget*) override {
        messages.push_back({icon, title, text});
    }
    bool openUrl(const QUrl& url) override {
        urls.push_back(url);
        return browserPresent;
    }
    std::vector<Message> messages;
    std::vector<QUrl> urls;
    bool browserPresent = true;
};

// No FTDI device, no serial device; the simulator always there.
inline std::unique_ptr<session::DeviceFactory> devicesWithoutCable(base::Clock& clock) {
    return std::make_unique<session::testing::FakeDevices>(clock);
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root = std::filesystem::temp_directory_path() /
               ("dravio-gui-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(root / "home");
    }
    void TearDown() override {
        app.reset();
        std::filesystem::remove_all(root);
    }

    std::filesystem::path documents() const { return root / "docs"; }
    std::filesystem::path ini() const { return documents() / "Dravio" / "ecu.ini"; }
    static std::filesystem::path dataDir() { return DRAVIO_SOURCE_DATA_DIR; }

    // Catalog as the program loads it, so the tests follow the language files.
    static support::Catalog catalog(const char* language) {
        const auto loaded = support::Catalog::load(dataDir() / "lang" / (std::string("lng") + language + ".lang"));
        return loaded ? *loaded : support::Catalog{};
    }

    void writeIni(const std::string& text) {
        std::filesystem::create_directories(ini().parent_path());
        std::FILE* f = std::fopen(ini().c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }

    Application::Start startApp() {
        AppConfig config;
        config.environment.home = (root / "home").string();
        config.environment.xdgDocumentsDir = documents().string();
        config.dataDir = dataDir();
        config.devices = devices;
        config.osName = "TestOS";
        config.updateCheckAtStart = updateCheckAtStart;
        app = std::make_unique<Application>(config, presenter);
        return app->start();
    }

    InterfaceWindow& interfaceWindowLoaded() {
        auto* window = app->interfaceWindow();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible() && !window->busy(); }, 5000));
        return *window;
    }

    // Waits for the interface window's next drawn snapshot after `step`.
    template <class Step>
    void stepAndWait(InterfaceWindow& window, Step step) {
        QSignalSpy updated(&window, &InterfaceWindow::updated);
        step();
        ASSERT_TRUE(updated.wait(5000));
    }

    // Start-up up to the main window, taking the interface window's OK.
    MainWindow& startToMainWindow() {
        EXPECT_EQ(startApp(), Application::Start::Running);
        auto& window = interfaceWindowLoaded();
        QSignalSpy ready(app.get(), &Application::mainWindowReady);
        window.findChild<QAbstractButton*>("cdOK")->click();
        EXPECT_TRUE(ready.wait(5000));
        return *app->mainWindow();
    }

    void quitAndWait() {
        QSignalSpy finished(app.get(), &Application::finished);
        app->quit();
        ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
    }

    QString labelText(QWidget& window, const char* name) {
        auto* label = window.findChild<QLabel*>(name);
        return label ? label->text() : QString("<no %1>").arg(name);
    }

    std::filesystem::path root;
    DeviceFactoryMaker devices = devicesWithoutCable;
    bool updateCheckAtStart = false;
    RecordingPresenter presenter;
    std::unique_ptr<Application> app;
};

inline QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace dravio::gui::testing
