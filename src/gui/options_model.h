// gui: the options window (frmchoix, "Paramétrages") as plain state: a copy of the
// settings being edited, the model list, which parts show for the chosen model,
// the checks made on OK and what OK writes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "proto/models.h"
#include "support/ini_file.h"
#include "support/settings.h"

namespace dravio::gui {

namespace options_text {
inline constexpr std::string_view Titre = "Paramétrages";
inline constexpr std::string_view TypeEcu = "Type ECU";
inline constexpr std::string_view ModeTest = "Mode test (sans moto)";
inline constexpr std::string_view Auto = "Lancement auto des acquisitions";
inline constexpr std::string_view DeuxPoints = "2 dictinct points needed";
}  // namespace options_text

// The analog lambda devices, as stored in COM/LC-DLP.
inline constexpr std::array<std::string_view, 4> kLambdaDevices = {"Nothing", "DLP-IO8", "LC-LM", "USB-1208"};

class OptionsModel {
public:
    OptionsModel(const support::Settings& settings, proto::Modeles modeles, bool modeDemo);

    // The non-empty model names in index order, and the row of the current model
    // (-1 when the model has no name, as model 5).
    const std::vector<std::string>& TypeEcuList() const { return names_; }
    int TypeEcuRow() const;
    // The user picked `name`: TypeECU becomes the index of the first model so named.
    void chooseModel(std::string_view name);

    // The trimmer box shows for models 1, 3 and 4; the throttle-voltage
    // adjustment for models 0 to 3.
    bool ChTrimmerVisible() const;
    bool frTPSAdjustVisible() const;

    support::Settings& settings() { return settings_; }
    const support::Settings& settings() const { return settings_; }
    bool modeDemo = false;

    // The message that refuses OK, or nullopt when the settings can be stored:
    // each volt-to-AFR line needs two distinct volt points.
    std::optional<std::string> check() const;

    // Writes the settings (EcritConfig), then the keys this window owns: the
    // lambda device, the throttle ratio and the data folder. False when the file
    // cannot be written.
    bool write(support::IniFile& ini) const;
    // "Save ratio": the throttle converter ratio alone.
    bool writeRatio(support::IniFile& ini) const;

private:
    support::Settings settings_;
    proto::Modeles modeles_;
    std::vector<std::string> names_;
};

}  // namespace dravio::gui
