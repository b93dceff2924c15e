// app: "dravio-cli decode", the live values of one measurement cycle worked out
// from answers given on the command line, for scripts and bench checks.
#pragma once

#include "app/cli_args.h"

namespace dravio::app {

// One line for the program's usage text.
inline constexpr const char* kDecodeUsage =
    "decode --ecu N [--fast] ANSWER...   live values of one cycle as JSON: models 0-3 the ten one-byte "
    "answers in request order, model 4 the block answer (or the engine-speed answer with --fast), model 5 "
    "the eight OBD-II answers in request order; '-' stands for no answer";

// dravio-cli decode --ecu N [--fast] ANSWER...
// Prints one JSON object on one line: Regime, Papillon, PapillonPas (models 0-3
// only), Injection, AvanceVal, PressionVal, TempAir, TempEau, TensionVal. Each
// value is what the cycle would hold after this one exchange, starting from
// zeros: a missing or foreign answer gives the value the decoding falls back to
// (0 for the KWP2000 models; byte 0 read through the conversion for the
// one-byte models, and engine speed 0 when the period reads 0), never null.
// Answers are hex text as the link returns it; lower-case digits are accepted.
// A missing --ecu, a model outside 0-5, --fast on a model other than 4 or the
// wrong number of answers is a UsageError.
int commandDecode(CliArgs& args);

}  // namespace dravio::app
