// app: dravio-cli's diagnostic commands of the one-byte ECUs: `test NAME` runs one
// of frmerreur's diagnostic-mode commands and prints its progress and outcome;
// `trim15 --read` prints one pass of the 15M trimmer window's loop and
// `trim15 --set N` walks the ECU through the trimmer change and stores N.
#pragma once

#include <functional>
#include <iosfwd>

#include "app/cli_args.h"
#include "app/cli_link.h"
#include "proto/models.h"

namespace dravio::app {

inline constexpr const char* kOneByteUsage = R"(--interface IF [--ecu M] test NAME [--json] [--yes]
        MM16, MM15, 15RC: initialise the link, then run the diagnostic-mode
        command NAME (clear, revcounter, pump, coil1, coil2, injector1,
        injector2) and print the progress rows and the outcome (passed,
        failed, no-end, engine-running, no-diag-mode). Status 0 when passed.
  --interface IF [--ecu M] trim15 (--read | --set N) [--yes]
        MM15, 15RC: --read prints engine speed, throttle, battery and trimmer
        once; --set N (-127 to 126) enters the trimmer-adjust mode, steps the
        trimmer to N with the engine running and stores it. Status 0 when
        stored and both store bytes were echoed.
)";

// Opens and initialises the link; null when it stays down.
using OpenLink = std::function<CliLink*()>;

int commandOneByteTest(CliArgs& args, proto::Model model, const OpenLink& open, std::ostream& out);
int commandTrim15(CliArgs& args, proto::Model model, const OpenLink& open, std::ostream& out);

}  // namespace dravio::app
