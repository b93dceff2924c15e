// support: choosing the language and its catalog file.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/catalog.h"

namespace dravio::support {

// The language names, exactly as stored in Affichage/Langue and compared.
inline constexpr std::string_view kFrench = "Francais";
inline constexpr std::array<std::string_view, 5> kLanguageNames = {"Francais", "Italiano", "English", "Deutsch",
                                                                   "Nederlands"};

// `setting` when it is exactly one of the five names, otherwise "Francais".
std::string_view normalizeLanguage(std::string_view setting);

// <dataDir>/lang/lng<language>.lang; the file name is matched without regard to
// case (lngenglish.lang is found). nullopt when no such file exists.
std::optional<std::filesystem::path> findCatalogFile(const std::filesystem::path& dataDir, std::string_view language);

// <dataDir>/lang/lng<language>.dtc.lang, the fault-code texts kept beside the
// catalog (French has one too: the program has no built-in fault texts).
std::optional<std::filesystem::path> findDtcCatalogFile(const std::filesystem::path& dataDir,
                                                        std::string_view language);

struct LanguageSelection {
    std::string language;                       // the language in use; store it back in Settings::Langue
    bool settingReplaced = false;               // the setting named no language and became "Francais"
    Catalog catalog;                            // empty (all French) when no file was found or readable
    std::optional<std::filesystem::path> file;  // the catalog read, if any
    std::optional<std::filesystem::path> dtcFile;  // the fault-code texts merged into it, if any
    std::string problem;                        // "" or why a non-French language has no catalog
};

// Picks the language for `setting` and loads its catalog from `dataDir`. French
// needs no file; a lngFrancais.lang present is used like the others.
LanguageSelection selectLanguage(std::string_view setting, const std::filesystem::path& dataDir);

}  // namespace dravio::support
