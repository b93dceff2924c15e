#include "gui/options_model.h"

#include "proto/models.h"
#include "support/settings_keys.h"

namespace dravio::gui {

namespace keys = support::keys;

OptionsModel::OptionsModel(const support::Settings& settings, proto::Modeles modeles, bool demo)
    : modeDemo(demo), settings_(settings), modeles_(std::move(modeles)) {
    for (const auto& name : modeles_.names) {
        if (!name.empty()) names_.push_back(name);
    }
}

int OptionsModel::TypeEcuRow() const {
    const auto current = modeles_.name(settings_.TypeECU);
    if (current.empty()) return -1;
    for (std::size_t row = 0; row < names_.size(); ++row) {
        if (names_[row] == current) return static_cast<int>(row);
    }
    return -1;
}

void OptionsModel::chooseModel(std::string_view name) {
    if (const auto index = modeles_.indexOf(name)) settings_.TypeECU = *index;
}

bool OptionsModel::ChTrimmerVisible() const {
    const auto model = proto::modelFromIndex(settings_.TypeECU);
    return model == proto::Model::MM15 || model == proto::Model::P8 || model == proto::Model::M59;
}

bool OptionsModel::frTPSAdjustVisible() const {
    const auto model = proto::modelFromIndex(settings_.TypeECU);
    return model && proto::isOneByte(*model);
}

std::optional<std::string> OptionsModel::check() const {
    for (std::size_t line = 0; line < settings_.LowVolts.size(); ++line) {
        if (settings_.LowVolts[line] == settings_.HighVolts[line]) return std::string(options_text::DeuxPoints);
    }
    return std::nullopt;
}

bool OptionsModel::write(support::IniFile& ini) const {
    if (!settings_.EcritConfig(ini)) return false;
    ini.setString(keys::COM, keys::LcDlp, settings_.LcDlp);
    ini.setInt(keys::TPS, keys::Steep, settings_.Steep);
    ini.setInt(keys::TPS, keys::mVolt, settings_.mVolt);
    ini.setString(keys::Logworks, keys::Folder, settings_.LogworksFolder);
    return ini.commit();
}

bool OptionsModel::writeRatio(support::IniFile& ini) const {
    ini.setInt(keys::TPS, keys::Steep, settings_.Steep);
    ini.setInt(keys::TPS, keys::mVolt, settings_.mVolt);
    return ini.commit();
}

}  // namespace dravio::gui
