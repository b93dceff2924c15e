// dravio-cli decode: arguments in, one JSON line out.
#include "app/cli_decode.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace dravio::app {
namespace {

struct Output {
    int status;
    std::string out;
};

Output decode(std::vector<std::string> words) {
    words.insert(words.begin(), "dravio-cli");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    CliArgs args(static_cast<int>(argv.size()), argv.data());
    std::ostringstream captured;
    auto* old = std::cout.rdbuf(captured.rdbuf());
    struct Restore {
        std::streambuf* old;
        ~Restore() { std::cout.rdbuf(old); }
    } restore{old};
    const int status = commandDecode(args);
    return {status, captured.str()};
}

TEST(CliDecode, PrintsOneJsonLine) {
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    const Case cases[] = {
        {{"--ecu", "4", "96F11061A007C603F2003D00390029010C0089013C068E9C403C"},
         R"({"Regime":1990,"Papillon":4.1,"Injection":3.356,"AvanceVal":26.8,"PressionVal":1010,"TempAir":21,)"
         R"("TempEau":17,"TensionVal":13.7})"
         "\n"},
        {{"--ecu", "obd", "84F110410C1F40", "-", "-", "FE83F11041054711", "-", "-", "-", "FE83F110410B6333"},
         R"({"Regime":2000,"Papillon":0,"Injection":0,"AvanceVal":0,"PressionVal":99,"TempAir":0,"TempEau":31,)"
         R"("TensionVal":0})"
         "\n"},
    };
    for (const auto& c : cases) {
        const Output o = decode(c.args);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.out, c.out) << c.args.back();
    }
}

TEST(CliDecode, BadArgumentsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"96F11061A0"},                            // no --ecu
        {"--ecu", "x", "96F11061A0"},               // not a number
        {"--ecu", "6", "96F11061A0"},               // no live values
        {"--ecu", "-1", "96F11061A0"},
        {"--ecu", "4"},                             // no answer
        {"--ecu", "4", "96F11061A0", "00"},         // one too many
        {"--ecu", "0", "01", "02"},                 // ten needed
        {"--ecu", "5", "-", "-", "-", "-", "-", "-", "-"},  // eight needed
        {"--ecu", "0", "--fast", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"},
        {"--ecu", "4", "--raw", "96F11061A0"},      // unknown option
        {"--ecu", "4", "96F11061A"},                // odd length
        {"--ecu", "4", "96F11061AZ"},               // not hex
        {"--ecu", "4", ""},                         // empty answer
        {"--ecu", "4", "--ecu", "4", "96F11061A0"}, // repeated option
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const auto& a : args) joined += a + ' ';
        EXPECT_THROW(decode(args), UsageError) << joined;
    }
}

}  // namespace
}  // namespace dravio::app
