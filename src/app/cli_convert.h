// app: "dravio-cli convert", recordings to LogWorks DIF files as the conversion
// window writes them, with the channel database of the data folder.
#pragma once

#include <iosfwd>

#include "app/cli_args.h"

namespace dravio::app {

inline constexpr const char* kConvertUsage =
    "convert [--dif | --xlsx] INPUT... [-o OUTPUT]\n"
    "        Convert recordings (CSV or TXT) to LogWorks DIF files, using the channel\n"
    "        database and the Coef A and B settings of the data folder. Each INPUT\n"
    "        gives INPUT.dif, or OUTPUT (a file for one input, a folder for several).\n"
    "        --xlsx (workbooks) is not available yet.\n";

// Prints one line per file converted; a failure goes to `err`. Status 0 when all
// were converted, 1 when one failed; UsageError for bad arguments.
int commandConvert(CliArgs& args, std::ostream& out, std::ostream& err);

}  // namespace dravio::app
