// ecu: the hooks through which the live procedures reach the link, the trace and
// the language texts. In the program they are Link::EnvoieRequete, Link::Attente,
// Trace::EcritTrace and the language catalog; tests pass fakes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace dravio::ecu {

// Request text, canned answer for demonstration mode, answer length in bytes and
// time-out in milliseconds in; the answer as hex text out, "" when nothing came.
using Exchange = std::function<std::string(std::string_view requete, std::string_view reponseDemo,
                                           std::int16_t longueur, std::int16_t delaiMs)>;

// A precise pause on the line, in seconds.
using Wait = std::function<void(double secondes)>;

// One line for the trace window and file.
using TraceLine = std::function<void(std::string_view texte)>;

// Language text by id, with the built-in French as default.
using ResourceText = std::function<std::string(int id, const std::string& french)>;

}  // namespace dravio::ecu
