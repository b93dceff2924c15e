#include "app/cli_update.h"

#include <cstdlib>
#include <ostream>

#include "support/data_dir.h"
#include "support/folders.h"
#include "support/ini_file.h"
#include "support/language.h"
#include "support/settings_keys.h"
#include "support/update/update_service.h"
#include "support/version_text.h"

namespace dravio::app {

namespace fs = std::filesystem;

int commandUpdate(CliArgs& args, std::ostream& out) {
    const bool check = args.takeFlag("check");
    const bool install = args.takeFlag("install");
    const auto server = args.takeOption("server");
    if (check == install) throw UsageError("update takes --check or --install");
    if (!args.positionals().empty()) throw UsageError("update takes no other argument");

    const auto env = support::Environment::fromProcess();
    const auto setup = support::setUpFolders(env);
    const support::IniFile settings(setup.folders.settingsFile());
    const fs::path dataDir = support::programDataDir();
    const auto language = support::selectLanguage(
        settings.readString(support::keys::Affichage, support::keys::Langue, "Francais"), dataDir);
    std::error_code ec;
    const fs::path programFolder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    const auto places = support::updatePlacesFor(
        setup.folders, dataDir, programFolder,
        support::applicationsFolder(xdgDataHome ? std::optional<std::string>(xdgDataHome) : std::nullopt, env.home));

    support::UpdateView view;
    view.status = [&](const std::string& line) { out << "  " << line << '\n' << std::flush; };
    view.message = [&](const std::string& title, const std::string& text) {
        out << title << ": " << text << '\n' << std::flush;
    };
    view.ask = [&](const std::string& title, const std::string& text) {
        out << title << ": " << text << (install ? " -> Yes" : " -> No") << '\n' << std::flush;
        return install;
    };
    support::CurlDownloader downloader;
    support::UpdateService service(server ? *server : support::updateServer(settings), places,
                                   support::programVersion(), language.catalog, downloader, view);
    service.Find_Update();
    return 0;
}

}  // namespace dravio::app
