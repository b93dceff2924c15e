#include "app/cli_convert.h"

#include <ctime>
#include <ostream>

#include "convert/channel_db.h"
#include "convert/dif_writer.h"
#include "convert/log_folder.h"
#include "convert/workbook_export.h"
#include "support/folders.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"

namespace dravio::app {

namespace fs = std::filesystem;

namespace {

// --xlsx: each recording into a workbook beside it, into -o's folder, or as -o.
int convertToWorkbooks(const std::vector<std::string>& inputs, const std::optional<std::string>& output,
                       std::ostream& out, std::ostream& err) {
    const bool intoFolder = output && (inputs.size() > 1 || fs::is_directory(*output));
    const std::time_t clock = std::time(nullptr);
    std::tm now{};
    localtime_r(&clock, &now);
    int status = 0;
    for (const std::string& input : inputs) {
        fs::path target = convert::workbookNameFor(input);
        if (intoFolder) {
            target = fs::path(*output) / target.filename();
        } else if (output) {
            target = *output;
        }
        const auto result = convert::exportWorkbook({input}, target, now);
        if (!result.ok) {
            err << "dravio-cli: " << input << ": " << result.error << '\n';
            status = 1;
            continue;
        }
        out << input << " -> " << target.string() << " (" << result.rows << " rows)\n";
    }
    return status;
}

}  // namespace

int commandConvert(CliArgs& args, std::ostream& out, std::ostream& err) {
    const bool dif = args.takeFlag("dif");
    const bool xlsx = args.takeFlag("xlsx");
    if (dif && xlsx) throw UsageError("convert takes --dif or --xlsx, not both");
    std::optional<std::string> output = args.takeOption("output");
    std::vector<std::string> inputs;
    const auto words = args.positionals();
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "-o") {
            if (i + 1 >= words.size()) throw UsageError("-o needs a value");
            output = words[++i];
        } else {
            inputs.push_back(words[i]);
        }
    }
    if (inputs.empty()) throw UsageError("convert needs at least one recording");
    if (xlsx) return convertToWorkbooks(inputs, output, out, err);

    const auto setup = support::setUpFolders(support::Environment::fromProcess());
    const support::IniFile settings(setup.folders.settingsFile());
    convert::ConvertOptions options;
    options.lambda = convert::coefficientsFromText(settings.readString(support::keys::Coef, support::keys::A, "3.008"),
                                                   settings.readString(support::keys::Coef, support::keys::B, "7.35"));
    std::string error;
    auto database = convert::ChannelDatabase::open(setup.folders.DossierFiles / convert::kChannelDatabaseFile, error);
    // Without the database the rules' own descriptions still give a usable file.
    if (!database) err << "dravio-cli: " << error << "; default channel descriptions used\n";

    const bool intoFolder = output && (inputs.size() > 1 || fs::is_directory(*output));
    int status = 0;
    for (const std::string& input : inputs) {
        fs::path target = convert::difNameFor(input);
        if (intoFolder) {
            target = fs::path(*output) / target.filename();
        } else if (output) {
            target = *output;
        }
        const auto result = convert::convertFile(input, target, database.get(), options);
        if (!result.ok) {
            err << "dravio-cli: " << input << ": " << result.error << '\n';
            status = 1;
            continue;
        }
        out << input << " -> " << target.string() << " (" << result.dataRows << " rows, " << result.columns
            << " columns)\n";
    }
    return status;
}

}  // namespace dravio::app
