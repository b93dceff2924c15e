// Every caption in the chosen language: the windows walked in French, then again
// after English or Italian was chosen in the options window while measuring, and
// after a first start with the language already set. A text may stay French only
// where the catalog itself gives the same word (proper names, units).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <map>
#include <set>

#include "gui/options_window.h"
#include "gui/session_controller.h"
#include "gui_fixture.h"

namespace dravio::gui::testing {
namespace {

constexpr int kLinkTimeoutMs = 30000;

#define WAIT_FOR(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs)) << #condition

using Captions = std::map<QString, QString>;  // "window/control" -> text

// The captions of every open window: titles, frames, buttons, boxes, labels that
// are not values, menus and their entries.
Captions captions() {
    Captions out;
    for (auto* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->objectName().isEmpty()) continue;
        const QString prefix = window->objectName() + "/";
        out[prefix + "title"] = window->windowTitle();
        for (auto* box : window->findChildren<QGroupBox*>()) out[prefix + box->objectName()] = box->title();
        for (auto* button : window->findChildren<QAbstractButton*>()) {
            if (!button->objectName().isEmpty()) out[prefix + button->objectName()] = button->text();
        }
        for (auto* action : window->findChildren<QAction*>()) {
            if (!action->objectName().isEmpty()) out[prefix + action->objectName()] = action->text();
        }
        for (auto* menu : window->findChildren<QMenu*>()) {
            if (!menu->objectName().isEmpty()) out[prefix + menu->objectName()] = menu->title();
        }
        for (auto* label : window->findChildren<QLabel*>()) {
            if (label->property("dravioCaptionId").isValid()) out[prefix + label->objectName() + label->text()] = label->text();
        }
    }
    return out;
}

class LanguageTest : public AppTest {
protected:
    // Texts a catalog gives identically in French: they may stay as they are.
    std::set<QString> sameWords(const char* language) {
        const auto fr = catalog("Francais");
        const auto other = catalog(language);
        std::set<QString> same;
        for (int id = 0; id < 4000; ++id) {
            if (!fr.contains(id)) continue;
            const auto text = fr.GetResourceString(id, "");
            if (other.GetResourceString(id, "") == text) same.insert(qs(text));
        }
        return same;
    }

    void expectTranslated(const Captions& french, const Captions& now, const char* language) {
        const auto same = sameWords(language);
        int compared = 0;
        for (const auto& [key, text] : french) {
            const auto it = now.find(key);
            if (it == now.end() || text.isEmpty()) continue;
            ++compared;
            if (it->second != text) continue;
            // Shortcut hints and values are the same in every language.
            QString bare = text;
            bare.remove('&');
            // A same word followed by a unit or a value ("Air (°C)", "Reset to 9").
            QString stem = bare;
            stem.remove(QRegularExpression("( \\([^)]*\\)|[-0-9.]+)$"));
            if (same.count(text) || same.count(bare) || same.count(stem) || same.count(stem.trimmed()) ||
                text.contains(QRegularExpression("^[-+0-9. A-Z/()%°]*$"))) {
                continue;
            }
            ADD_FAILURE() << language << ": " << key.toStdString() << " still reads \"" << text.toStdString() << "\"";
        }
        EXPECT_GT(compared, 80);
    }

    void openEveryWindow(MainWindow& main) {
        main.findChild<QCheckBox*>("chgraph")->click();
        main.action("mnMap")->trigger();
        main.action("mnStatuts")->trigger();
        main.action("mnTrafic")->trigger();
        main.action("mnrepond")->trigger();
        QApplication::processEvents();
    }

    void chooseLanguage(const char* language) {
        app->openOptions();
        auto* options = app->optionsWindow();
        ASSERT_NE(options, nullptr);
        options->findChild<QComboBox*>("cbLangue")->setCurrentText(language);
        options->findChild<QPushButton*>("cdOK")->click();
        // Measuring resumes with the new language: the reset button is relabelled then.
        auto* main = app->mainWindow();
        const QString resetTo = qs(catalog(language).GetResourceString(174, "Reset to "));
        (void)QTest::qWaitFor(
            [&] {
                return main->findChild<QPushButton*>("cdparametre")->text() == "Stop - F3" &&
                       main->findChild<QPushButton*>("cdTrimmer")->text().startsWith(resetTo);
            },
            kLinkTimeoutMs);
    }
};

TEST_F(LanguageTest, ChoosingEnglishThenItalianWhileMeasuringTranslatesEveryOpenWindow) {
    writeIni("[ECU]\nType=4\n[Menu]\nauto=0\n[Mesures]\nTrimmer=1\n");
    auto& main = startToMainWindow();
    main.action("MnInit")->trigger();
    WAIT_FOR(main.findChild<QPushButton*>("cdparametre")->isEnabled(), kLinkTimeoutMs);
    main.action("mnparam")->trigger();
    WAIT_FOR(main.findChild<QPushButton*>("cdparametre")->text() == "Stop - F3", kLinkTimeoutMs);
    openEveryWindow(main);
    const auto french = captions();

    chooseLanguage("English");
    expectTranslated(french, captions(), "English");
    EXPECT_EQ(main.action("mnpreferences")->text(), "&Settings");

    chooseLanguage("Italiano");
    expectTranslated(french, captions(), "Italiano");

    // Back to French: every caption as it was, none left in Italian.
    chooseLanguage("Francais");
    const auto again = captions();
    for (const auto& [key, text] : french) {
        if (key.endsWith("/cdparametre") || key.endsWith("/title") || key.endsWith("/cdDemarrer")) continue;
        if (const auto it = again.find(key); it != again.end()) {
            EXPECT_EQ(it->second, text) << key.toStdString();
        }
    }
    quitAndWait();
}

TEST_F(LanguageTest, AFirstStartInEnglishShowsEnglishFromTheInterfaceWindowOn) {
    writeIni("[Affichage]\nLangue=English\n");
    ASSERT_EQ(startApp(), Application::Start::Running);
    auto& choice = interfaceWindowLoaded();
    EXPECT_EQ(choice.findChild<QAbstractButton*>("opType4")->text(), "Simulator");
    EXPECT_EQ(choice.findChild<QAbstractButton*>("cdNew")->text(), qs(catalog("English").GetResourceString(2307, "")));
    QSignalSpy ready(app.get(), &Application::mainWindowReady);
    choice.findChild<QAbstractButton*>("cdOK")->click();
    ASSERT_TRUE(ready.wait(5000));
    auto& main = *app->mainWindow();
    EXPECT_EQ(main.findChild<QPushButton*>("cdquitter")->text(), qs(catalog("English").GetResourceString(2005, "")));
    EXPECT_EQ(main.findChild<QGroupBox*>("Frair")->title(), "Air (°C)");
    EXPECT_EQ(main.findChild<QGroupBox*>("Frpression")->title(),
              qs(catalog("English").GetResourceString(2012, "") + " (hPa)"));
    // The demonstration explanation came in English too.
    ASSERT_FALSE(presenter.messages.empty());
    EXPECT_TRUE(presenter.messages.back().text.contains(qs(catalog("English").GetResourceString(2327, ""))));
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
