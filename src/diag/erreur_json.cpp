#include "diag/erreur_json.h"

#include <cstdio>

namespace dravio::diag {

namespace {

void appendString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

template <typename Container>
void appendArray(std::string& out, const Container& texts) {
    out += '[';
    bool first = true;
    for (const std::string& t : texts) {
        if (!first) out += ',';
        first = false;
        appendString(out, t);
    }
    out += ']';
}

}  // namespace

std::string faultReadingToJson(const FaultReading& reading) {
    std::string out = "{\"rows\":";
    appendArray(out, reading.rdef);
    out += ",\"lines\":";
    appendArray(out, reading.lines);
    out += '}';
    return out;
}

std::string testRunToJson(const TestRun& run) {
    std::string out = "{\"outcome\":";
    appendString(out, std::string(testOutcomeName(run.outcome)));
    out += ",\"endOfTest\":";
    appendString(out, run.endOfTest);
    out += ",\"confirmed\":";
    out += run.confirmed ? "true" : "false";
    out += ",\"frdialogue\":";
    appendString(out, run.frdialogue);
    out += ",\"lenvoie\":";
    appendArray(out, run.lenvoie);
    out += ",\"lrecu\":";
    appendArray(out, run.lrecu);
    out += ",\"messages\":[";
    bool first = true;
    for (const auto& m : run.messages) {
        if (!first) out += ',';
        first = false;
        appendString(out, m.text);
    }
    out += "]}";
    return out;
}

}  // namespace dravio::diag
