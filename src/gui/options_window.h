// gui: the options window (frmchoix, "Paramétrages"). It edits an OptionsModel and,
// on OK, writes it and hands the new settings to the program.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <array>

#include "gui/dialog_presenter.h"
#include "gui/options_model.h"
#include "support/ini_file.h"

namespace dravio::gui {

class OptionsWindow : public QDialog {
    Q_OBJECT
public:
    OptionsWindow(OptionsModel model, support::IniFile& ini, DialogPresenter& presenter, QWidget* parent = nullptr);

    const OptionsModel& model() const { return model_; }

signals:
    // OK stored the settings.
    void settingsAccepted(const dravio::support::Settings& settings, bool modeDemo);

protected:
    void done(int result) override;

private:
    QGroupBox* frame(const char* name, const QString& title, int captionId);
    void showModelParts();
    void collect();
    void okClick();

    OptionsModel model_;
    support::IniFile& ini_;
    DialogPresenter& presenter_;

    QComboBox* TypeEcu_;
    QCheckBox* ChTrimmer_;
    QGroupBox* frTPSAdjust_;
    QSpinBox* txSteep_;
    QSpinBox* txmVolt_;
    std::array<QCheckBox*, 10> channels_{};
    QRadioButton* opCelsius_;
    QRadioButton* opFahrenheit_;
    QRadioButton* opHpa_;
    QRadioButton* opMmHg_;
    QCheckBox* chAuto_;
    QCheckBox* chReInitAuto_ = nullptr;
    QComboBox* cbLangue_;
    QCheckBox* chModeTest_;
    QComboBox* cbLcDlp_;
    QComboBox* cbPortAFR_;
    std::array<std::array<QDoubleSpinBox*, 4>, 2> afrLines_{};  // low V, low AFR, high V, high AFR
    QLineEdit* txDossier_;
};

}  // namespace dravio::gui
