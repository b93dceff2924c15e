#include "session/interface_choice.h"

namespace dravio::session {

namespace {
constexpr const char* kForms = "sim[:MODEL], tty:PATH, elm:PATH, ftdi[:DESCRIPTION] or demo";
}

std::optional<InterfaceChoice> InterfaceChoice::parse(std::string_view text, std::string& error) {
    std::string_view kind = text;
    std::string detail;
    const bool hasDetail = text.find(':') != std::string_view::npos;
    if (hasDetail) {
        kind = text.substr(0, text.find(':'));
        detail = std::string(text.substr(text.find(':') + 1));
    }
    InterfaceChoice choice;
    choice.detail = detail;
    if (kind == "sim") {
        choice.kind = InterfaceKind::Simulator;
    } else if (kind == "ftdi") {
        choice.kind = InterfaceKind::Ftdi;
    } else if (kind == "tty" || kind == "elm") {
        choice.kind = kind == "tty" ? InterfaceKind::TtyCable : InterfaceKind::Elm327;
        if (detail.empty()) {
            error = std::string(kind) + " needs a device path: " + std::string(kind) + ":PATH";
            return std::nullopt;
        }
    } else if (kind == "demo" && !hasDetail) {
        choice.kind = InterfaceKind::Demo;
    } else {
        error = "unknown interface '" + std::string(text) + "' (" + kForms + ")";
        return std::nullopt;
    }
    return choice;
}

std::string InterfaceChoice::text() const {
    const auto with = [this](const char* kind) { return detail.empty() ? std::string(kind) : kind + (":" + detail); };
    switch (kind) {
        case InterfaceKind::Ftdi:
            return with("ftdi");
        case InterfaceKind::TtyCable:
            return with("tty");
        case InterfaceKind::Elm327:
            return with("elm");
        case InterfaceKind::Simulator:
            return with("sim");
        case InterfaceKind::Demo:
            break;
    }
    return "demo";
}

std::int16_t InterfaceChoice::typeInterface() const {
    switch (kind) {
        case InterfaceKind::Ftdi:
        case InterfaceKind::Demo:
            return kTypeFtdi;
        case InterfaceKind::TtyCable:
            return kTypeTtyCable;
        case InterfaceKind::Elm327:
            return kTypeElm327;
        case InterfaceKind::Simulator:
            return kTypeSimulateur;
    }
    return kTypeFtdi;
}

}  // namespace dravio::session
