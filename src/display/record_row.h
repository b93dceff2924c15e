// display: one recorded cycle, the columns both recordings share and how a
// value becomes text. The recordings take what the cycle shows: the record of
// the measurement cycle plus the texts of the AFR window and the throttle
// displays.
#pragma once

#include <string>
#include <vector>

#include "ecu/measurement_cycle.h"

namespace dravio::display {

// Which columns a recording has; the caller picks it from the ECU model.
enum class RecordLayout {
    Standard,       // 12 columns
    ThrottleSteps,  // 14: the one-byte ECUs add the throttle step and millivolts
    ObdLoad,        // 12; the workbook names load, air mass and speed
};

// What the windows show beside the cycle's record.
struct RecordTexts {
    std::string AFR1 = "--";   // lbAFR(0)
    std::string AFR2 = "--";   // lbAFR(1)
    bool lambdaShown = false;  // lbLambda shows a value, not "--"
    std::string SteepTPS;      // lbLsbTPS
    std::string TPSmV;         // lbTPSVolt
};

int columnCount(RecordLayout layout);

// Text-file header texts.
std::vector<std::string> textHeaders(RecordLayout layout);
// Workbook header texts.
std::vector<std::string> workbookHeaders(RecordLayout layout);

// The text-file fields of one cycle.
std::vector<std::string> textFields(const ecu::CycleRecord& record, const RecordTexts& texts, RecordLayout layout);

// A display text as recorded: "--" (channel off) becomes "0".
std::string shownOrZero(const std::string& text);

}  // namespace dravio::display
