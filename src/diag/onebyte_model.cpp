#include "diag/onebyte_model.h"

#include <utility>

namespace dravio::diag {

namespace {

constexpr std::array<OneByteModel, 4> kModels{OneByteModel::MM16, OneByteModel::MM15, OneByteModel::RC15,
                                              OneByteModel::P8};

// Command bytes by button; the MM16 numbers the same tests differently.
constexpr std::array<std::string_view, kDiagButtons> kCommandsMM16{"84", "86", "80", "82", "83", "81", "87"};
constexpr std::array<std::string_view, kDiagButtons> kCommands15M{"83", "85", "80", "81", "82", "86", "87"};

constexpr std::array<std::string_view, kDiagButtons> kCommandNames{
    "Effacement mémoire/Clear memory",
    "Test compte tour à 3750tr/mn RMP",
    "Test Pompe (30s)",
    "Test Bobine Horizontale / Coil",
    "Test Bobine Verticale / Coil",
    "Test Injecteur 1",
    "Test Injecteur 2",
};

constexpr std::array<std::string_view, kDiagButtons> kButtonCaptions{
    "Effacement mémoire", "Test Compte Tour", "Test Pompe Essence", "Test Bobine 1",
    "Test Bobine 2",      "Test Injecteur 1", "Test Injecteur 2",
};

constexpr std::array<std::string_view, kDiagButtons> kButtonNames{"clear", "revcounter", "pump",     "coil1",
                                                                  "coil2", "injector1",  "injector2"};

bool validButton(int button) { return button >= 0 && button < kDiagButtons; }

}  // namespace

std::string_view oneByteModelName(OneByteModel model) {
    switch (model) {
        case OneByteModel::MM16:
            return "MM16";
        case OneByteModel::MM15:
            return "MM15";
        case OneByteModel::RC15:
            return "15RC";
        case OneByteModel::P8:
            return "P8";
    }
    return "";
}

std::optional<OneByteModel> oneByteModelFromName(std::string_view name) {
    for (const OneByteModel m : kModels) {
        if (oneByteModelName(m) == name) return m;
    }
    return std::nullopt;
}

bool hasTrimmer15(OneByteModel model) { return model == OneByteModel::MM15 || model == OneByteModel::RC15; }

std::string diagCommand(OneByteModel model, int button) {
    if (!validButton(button)) return {};
    const auto index = static_cast<std::size_t>(button);
    switch (model) {
        case OneByteModel::MM16:
            return std::string(kCommandsMM16[index]);
        case OneByteModel::MM15:
        case OneByteModel::RC15:
            return std::string(kCommands15M[index]);
        case OneByteModel::P8:
            break;
    }
    return {};
}

std::string diagCommandName(int button) {
    return validButton(button) ? std::string(kCommandNames[static_cast<std::size_t>(button)]) : std::string();
}

int diagButtonTextId(int button) { return 310 + button; }

std::string diagButtonCaption(int button) {
    return validButton(button) ? std::string(kButtonCaptions[static_cast<std::size_t>(button)]) : std::string();
}

std::optional<int> diagButtonFromName(std::string_view name) {
    for (int i = 0; i < kDiagButtons; ++i) {
        if (kButtonNames[static_cast<std::size_t>(i)] == name) return i;
    }
    return std::nullopt;
}

std::string_view diagButtonName(int button) {
    return validButton(button) ? kButtonNames[static_cast<std::size_t>(button)] : std::string_view();
}

std::string OneByteLine::send(std::string_view request, std::string_view demo, std::int16_t delaiMs) const {
    // Every answer of this protocol is one byte.
    return hooks_.EnvoieRequete ? hooks_.EnvoieRequete(request, demo, 1, delaiMs) : std::string();
}

void OneByteLine::wait(double secondes) const {
    if (hooks_.Attente) hooks_.Attente(secondes);
}

void OneByteLine::trace(const std::string& line) const {
    if (hooks_.EcritTrace) hooks_.EcritTrace(line);
}

std::string OneByteLine::text(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

void OneByteLine::doEvents() const {
    if (hooks_.DoEvents) hooks_.DoEvents();
}

}  // namespace dravio::diag
