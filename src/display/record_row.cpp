#include "display/record_row.h"

#include <cmath>
#include <cstdio>

#include "base/number_pattern.h"

namespace dravio::display {
namespace {

// General number text, as Basic's Str/CStr would give it: up to 15 significant
// digits of the value as stored, no trailing zeros.
std::string numberText(double value) {
    if (!std::isfinite(value)) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string numberText(float value) {
    // Single-precision values print with the digits a single holds.
    if (!std::isfinite(value)) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
    return text;
}

}  // namespace

int columnCount(RecordLayout layout) { return layout == RecordLayout::ThrottleSteps ? 14 : 12; }

std::vector<std::string> textHeaders(RecordLayout layout) {
    std::vector<std::string> headers = {"Time",    "RPM",        "TPS",     "Injection", "Advance", "Pressure",
                                        "AirTemp", "EngineTemp", "Voltage", "AFR1",      "AFR2",    "Lambda"};
    if (layout == RecordLayout::ThrottleSteps) {
        headers.emplace_back("SteepTPS");
        headers.emplace_back("TPSmV");
    }
    return headers;
}

std::vector<std::string> workbookHeaders(RecordLayout layout) {
    std::vector<std::string> headers = textHeaders(layout);
    headers[11] = "LambdamV";
    if (layout == RecordLayout::ObdLoad) {
        // Over the columns that carry load, air mass and road speed for this model.
        headers[3] = "LOAD %";
        headers[4] = "Mass Air cg/s";
        headers[8] = "Speed";
    }
    return headers;
}

std::string shownOrZero(const std::string& text) { return text == "--" ? "0" : text; }

std::vector<std::string> textFields(const ecu::CycleRecord& r, const RecordTexts& texts, RecordLayout layout) {
    std::vector<std::string> fields = {
        numberText(r.secondes),   numberText(r.Regime),
        numberText(r.Papillon),   numberText(r.Injection),
        numberText(r.AvanceVal),  numberText(r.PressionVal),
        numberText(r.TempAir),    numberText(r.TempEau),
        numberText(r.TensionVal), shownOrZero(texts.AFR1),
        shownOrZero(texts.AFR2),  texts.lambdaShown ? base::fixedDecimals(r.LambdaVal, 3) : std::string("0"),
    };
    if (layout == RecordLayout::ThrottleSteps) {
        fields.push_back(texts.SteepTPS);
        fields.push_back(texts.TPSmV);
    }
    return fields;
}

}  // namespace dravio::display
