#include "gui/options_window.h"

#include <algorithm>

#include <QButtonGroup>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/caption_walker.h"
#include "gui/window_placement.h"
#include "session/interface_selection.h"
#include "support/language.h"

namespace dravio::gui {

namespace {
struct ChannelBox {
    const char* name;
    const char* caption;
    int id;
    bool support::Settings::*flag;
};
constexpr std::array<ChannelBox, 9> kChannelBoxes{{
    {"chPotar", "Angle gaz (TPS)", 2210, &support::Settings::Potar},
    {"chInjection", "Injection", 2211, &support::Settings::Injection},
    {"chAvance", "Avance", 2212, &support::Settings::Avance},
    {"chPression", "Pression", 2213, &support::Settings::Pression},
    {"chAir", "Température air", 2214, &support::Settings::Air},
    {"chEau", "Température moteur", 2215, &support::Settings::Eau},
    {"chTension", "Batterie", 2216, &support::Settings::Tension},
    {"chLambda", "Lambda", 2217, &support::Settings::Lambda},
    {"chMoteurPP", "Moteur pas à pas", 2218, &support::Settings::MoteurPP},
}};

QDoubleSpinBox* afrBox(QWidget* parent, const QString& name, double max, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(2);
    box->setRange(0.0, max);
    box->setSingleStep(0.1);
    box->setValue(value);
    return box;
}
}  // namespace

OptionsWindow::OptionsWindow(OptionsModel model, support::IniFile& ini, DialogPresenter& presenter, QWidget* parent)
    : QDialog(parent), model_(std::move(model)), ini_(ini), presenter_(presenter) {
    setObjectName("frmchoix");
    setWindowTitle(QString::fromUtf8(options_text::Titre.data(), static_cast<int>(options_text::Titre.size())));
    setCaptionId(this, 2200);
    auto& settings = model_.settings();
    auto* grid = new QGridLayout(this);

    // ECU model.
    auto* frTypeEcu = frame("frTypeEcu", "Type ECU", 2201);
    auto* ecuLayout = new QVBoxLayout(frTypeEcu);
    TypeEcu_ = new QComboBox(frTypeEcu);
    TypeEcu_->setObjectName("TypeEcu");
    for (const auto& name : model_.TypeEcuList()) TypeEcu_->addItem(QString::fromStdString(name));
    TypeEcu_->setCurrentIndex(model_.TypeEcuRow());
    ChTrimmer_ = new QCheckBox("Trimmer", frTypeEcu);
    ChTrimmer_->setObjectName("ChTrimmer");
    setCaptionId(ChTrimmer_, 2202);
    ChTrimmer_->setChecked(settings.Trimmer);
    ecuLayout->addWidget(TypeEcu_);
    ecuLayout->addWidget(ChTrimmer_);
    ecuLayout->addStretch();
    connect(TypeEcu_, &QComboBox::activated, this, [this](int) {
        model_.chooseModel(TypeEcu_->currentText().toStdString());
        showModelParts();
    });
    grid->addWidget(frTypeEcu, 0, 0);

    // Measurement channels.
    auto* frMesures = frame("frMesures", "Mesures", 2203);
    auto* channelsLayout = new QGridLayout(frMesures);
    for (std::size_t i = 0; i < kChannelBoxes.size(); ++i) {
        auto* box = new QCheckBox(kChannelBoxes[i].caption, frMesures);
        box->setObjectName(kChannelBoxes[i].name);
        setCaptionId(box, kChannelBoxes[i].id);
        box->setChecked(settings.*kChannelBoxes[i].flag);
        channelsLayout->addWidget(box, static_cast<int>(i / 2), static_cast<int>(i % 2));
        channels_[i] = box;
    }
    grid->addWidget(frMesures, 0, 1);

    // Units.
    auto* frUnites = frame("frUnites", "Unités", 2204);
    auto* unitsLayout = new QGridLayout(frUnites);
    opCelsius_ = new QRadioButton("°C", frUnites);
    opCelsius_->setObjectName("opCelsius");
    opFahrenheit_ = new QRadioButton("°F", frUnites);
    opFahrenheit_->setObjectName("opFahrenheit");
    opHpa_ = new QRadioButton("hPa", frUnites);
    opHpa_->setObjectName("opHpa");
    opMmHg_ = new QRadioButton("mmHg", frUnites);
    opMmHg_->setObjectName("opMmHg");
    auto* temperature = new QButtonGroup(frUnites);
    temperature->addButton(opCelsius_);
    temperature->addButton(opFahrenheit_);
    auto* pressure = new QButtonGroup(frUnites);
    pressure->addButton(opHpa_);
    pressure->addButton(opMmHg_);
    (settings.UniteTemp ? opCelsius_ : opFahrenheit_)->setChecked(true);
    (settings.UnitePression ? opHpa_ : opMmHg_)->setChecked(true);
    unitsLayout->addWidget(opCelsius_, 0, 0);
    unitsLayout->addWidget(opFahrenheit_, 0, 1);
    unitsLayout->addWidget(opHpa_, 1, 0);
    unitsLayout->addWidget(opMmHg_, 1, 1);
    grid->addWidget(frUnites, 1, 0);

    // Start, language, demonstration.
    auto* frDivers = frame("frDivers", "Divers", 2205);
    auto* diversLayout = new QVBoxLayout(frDivers);
    chAuto_ = new QCheckBox(QString::fromUtf8(options_text::Auto.data(), static_cast<int>(options_text::Auto.size())),
                            frDivers);
    chAuto_->setObjectName("chAuto");
    setCaptionId(chAuto_, 2206);
    chAuto_->setChecked(settings.Auto == 1);
    chReInitAuto_ = setCaptionId(new QCheckBox("Réinitialiser automatiquement après une perte de liaison", frDivers), 2232);
    chReInitAuto_->setObjectName("chReInitAuto");
    chReInitAuto_->setChecked(settings.ReInitAuto);
    cbLangue_ = new QComboBox(frDivers);
    cbLangue_->setObjectName("cbLangue");
    for (const auto name : support::kLanguageNames) {
        cbLangue_->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    }
    cbLangue_->setCurrentText(QString::fromStdString(std::string(support::normalizeLanguage(settings.Langue))));
    chModeTest_ = new QCheckBox(
        QString::fromUtf8(options_text::ModeTest.data(), static_cast<int>(options_text::ModeTest.size())), frDivers);
    chModeTest_->setObjectName("chModeTest");
    setCaptionId(chModeTest_, 2207);
    chModeTest_->setChecked(model_.modeDemo);
    diversLayout->addWidget(chAuto_);
    diversLayout->addWidget(chReInitAuto_);
    diversLayout->addWidget(cbLangue_);
    diversLayout->addWidget(chModeTest_);
    grid->addWidget(frDivers, 1, 1);

    // Analog lambda device and its port.
    auto* frLambdaDevice = frame("frLambdaDevice", "Lambda", 2208);
    auto* lambdaLayout = new QFormLayout(frLambdaDevice);
    cbLcDlp_ = new QComboBox(frLambdaDevice);
    cbLcDlp_->setObjectName("cbLcDlp");
    for (const auto device : kLambdaDevices) {
        cbLcDlp_->addItem(QString::fromUtf8(device.data(), static_cast<int>(device.size())));
    }
    cbLcDlp_->setCurrentText(QString::fromStdString(settings.LcDlp));
    cbPortAFR_ = new QComboBox(frLambdaDevice);
    cbPortAFR_->setObjectName("cbPortAFR");
    for (int i = 1; i <= session::kComPorts; ++i) cbPortAFR_->addItem(QString("Com%1").arg(i));
    cbPortAFR_->setCurrentIndex(std::clamp(settings.Port, 1, session::kComPorts) - 1);
    lambdaLayout->addRow(setCaptionId(new QLabel("Appareil", frLambdaDevice), 2219), cbLcDlp_);
    lambdaLayout->addRow(setCaptionId(new QLabel("Port", frLambdaDevice), 2220), cbPortAFR_);
    grid->addWidget(frLambdaDevice, 2, 0);

    // The two volt-to-AFR lines.
    auto* frAFR = frame("frAFR", "Conversion Volt → AFR", 2209);
    auto* afrLayout = new QGridLayout(frAFR);
    const char* headers[] = {"V bas", "AFR bas", "V haut", "AFR haut"};
    for (int column = 0; column < 4; ++column) {
        afrLayout->addWidget(setCaptionId(new QLabel(headers[column], frAFR), 2221 + column), 0, column + 1);
    }
    for (std::size_t line = 0; line < 2; ++line) {
        const int row = static_cast<int>(line) + 1;
        afrLayout->addWidget(setCaptionId(new QLabel(QString("Ligne %1").arg(row), frAFR), 2224 + row), row, 0);
        afrLines_[line] = {afrBox(frAFR, QString("txV%1L").arg(row), 10.0, settings.LowVolts[line]),
                           afrBox(frAFR, QString("txFR%1L").arg(row), 100.0, settings.LowAfr[line]),
                           afrBox(frAFR, QString("txV%1H").arg(row), 10.0, settings.HighVolts[line]),
                           afrBox(frAFR, QString("txFR%1H").arg(row), 100.0, settings.HighAfr[line])};
        for (int column = 0; column < 4; ++column) {
            afrLayout->addWidget(afrLines_[line][static_cast<std::size_t>(column)], row, column + 1);
        }
    }
    grid->addWidget(frAFR, 2, 1);

    // Throttle converter ratio.
    frTPSAdjust_ = frame("frTPSAdjust", "TPS", 2227);
    auto* tpsLayout = new QFormLayout(frTPSAdjust_);
    txSteep_ = new QSpinBox(frTPSAdjust_);
    txSteep_->setObjectName("txSteep");
    txSteep_->setRange(1, 1023);
    txSteep_->setValue(settings.Steep);
    txmVolt_ = new QSpinBox(frTPSAdjust_);
    txmVolt_->setObjectName("txmVolt");
    txmVolt_->setRange(1, 20000);
    txmVolt_->setValue(settings.mVolt);
    auto* saveRatio = new QPushButton("Save ratio", frTPSAdjust_);
    saveRatio->setObjectName("cdSaveRatio");
    setCaptionId(saveRatio, 2228);
    connect(saveRatio, &QPushButton::clicked, this, [this] {
        collect();
        if (!model_.writeRatio(ini_)) {
            presenter_.message(DialogPresenter::Icon::Warning, "Dravio",
                               QString::fromStdString(ini_.lastError()), this);
        }
    });
    tpsLayout->addRow(setCaptionId(new QLabel("Pas", frTPSAdjust_), 2229), txSteep_);
    tpsLayout->addRow("mV", txmVolt_);
    tpsLayout->addRow(saveRatio);
    grid->addWidget(frTPSAdjust_, 3, 0);

    // Data folder.
    auto* frDossier = frame("frDossier", "Dossier des données", 2230);
    auto* folderLayout = new QHBoxLayout(frDossier);
    txDossier_ = new QLineEdit(QString::fromStdString(settings.LogworksFolder), frDossier);
    txDossier_->setObjectName("txDossier");
    auto* browse = new QPushButton("...", frDossier);
    browse->setObjectName("cdParcourir");
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(), txDossier_->text());
        if (!folder.isEmpty()) txDossier_->setText(folder);
    });
    folderLayout->addWidget(txDossier_);
    folderLayout->addWidget(browse);
    grid->addWidget(frDossier, 3, 1);

    auto* buttons = new QHBoxLayout;
    auto* cdOK = new QPushButton("OK", this);
    cdOK->setObjectName("cdOK");
    cdOK->setDefault(true);
    auto* cdAnnuler = new QPushButton("Annuler", this);
    cdAnnuler->setObjectName("cdAnnuler");
    setCaptionId(cdAnnuler, 2231);
    buttons->addStretch();
    buttons->addWidget(cdOK);
    buttons->addWidget(cdAnnuler);
    grid->addLayout(buttons, 4, 0, 1, 2);
    connect(cdOK, &QPushButton::clicked, this, &OptionsWindow::okClick);
    connect(cdAnnuler, &QPushButton::clicked, this, &QDialog::reject);

    showModelParts();
    placeWindow(*this, ini_, support::WindowId::Choix);
}

QGroupBox* OptionsWindow::frame(const char* name, const QString& title, int captionId) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(name);
    setCaptionId(box, captionId);
    return box;
}

void OptionsWindow::showModelParts() {
    ChTrimmer_->setVisible(model_.ChTrimmerVisible());
    frTPSAdjust_->setVisible(model_.frTPSAdjustVisible());
}

void OptionsWindow::collect() {
    auto& settings = model_.settings();
    for (std::size_t i = 0; i < kChannelBoxes.size(); ++i) settings.*kChannelBoxes[i].flag = channels_[i]->isChecked();
    settings.Trimmer = ChTrimmer_->isChecked();
    settings.UniteTemp = opCelsius_->isChecked();
    settings.UnitePression = opHpa_->isChecked();
    settings.Auto = chAuto_->isChecked() ? 1 : 0;
    settings.ReInitAuto = chReInitAuto_->isChecked();
    settings.Langue = cbLangue_->currentText().toStdString();
    model_.modeDemo = chModeTest_->isChecked();
    settings.LcDlp = cbLcDlp_->currentText().toStdString();
    settings.Port = cbPortAFR_->currentIndex() + 1;
    for (std::size_t line = 0; line < 2; ++line) {
        settings.LowVolts[line] = static_cast<float>(afrLines_[line][0]->value());
        settings.LowAfr[line] = static_cast<float>(afrLines_[line][1]->value());
        settings.HighVolts[line] = static_cast<float>(afrLines_[line][2]->value());
        settings.HighAfr[line] = static_cast<float>(afrLines_[line][3]->value());
    }
    settings.Steep = txSteep_->value();
    settings.mVolt = txmVolt_->value();
    settings.LogworksFolder = txDossier_->text().toStdString();
}

void OptionsWindow::okClick() {
    collect();
    if (const auto refusal = model_.check()) {
        presenter_.message(DialogPresenter::Icon::Warning, "Dravio", QString::fromStdString(*refusal), this);
        return;
    }
    if (!model_.write(ini_)) {
        presenter_.message(DialogPresenter::Icon::Warning, "Dravio",
                           "ecu.ini: " + QString::fromStdString(ini_.lastError()), this);
        return;
    }
    emit settingsAccepted(model_.settings(), model_.modeDemo);
    accept();
}

void OptionsWindow::done(int result) {
    saveWindowPosition(*this, ini_, support::WindowId::Choix);
    QDialog::done(result);
}

}  // namespace dravio::gui
