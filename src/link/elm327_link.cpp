#include "link/elm327_link.h"

#include <algorithm>

#include "proto/answer.h"

namespace dravio::link {

using base::Clock;

namespace {
// How often the wait loop looks at the port; characters at 38400 baud take 0.26 ms.
constexpr auto kPollInterval = std::chrono::milliseconds(1);
}  // namespace

Elm327Link::Elm327Link(Link& link, ports::SerialPort& port, base::ViewState& view, InitChannels& channels)
    : link_(link), port_(port), view_(view), channels_(channels) {}

void Elm327Link::install() {
    link_.setElmExchange([this](std::string_view requete, std::int16_t delaiMs) { return exchange(requete, delaiMs); });
}

std::string Elm327Link::exchange(std::string_view requete, std::int16_t delaiMs) {
    link_.ModeDemo = false;
    link_.TimeOutReponse = 0;
    if (!link_.deviceLost().empty()) return {};
    if (port_.inputCount() > 0) port_.input();
    port_.output(std::string(requete) + kLineEnd);

    std::string answer;
    base::Timer& timer = link_.Timer1();
    timer.setInterval(std::chrono::milliseconds(std::max<int>(delaiMs, 0)));
    timer.setEnabled(true);
    Clock& clock = link_.loop().clock();
    for (;;) {
        link_.loop().pump();
        if (port_.inputCount() > 0) answer += port_.input();
        if (answer.find('>') != std::string::npos || link_.TimeOutReponse == 1) break;
        if (port_.gone()) {
            link_.reportDeviceLost(port_.lastError());
            break;
        }
        clock.sleepUntil(std::min(link_.loop().nextTimerDue(), clock.now() + kPollInterval));
    }
    timer.setEnabled(false);
    return answer;
}

std::string Elm327Link::send(const std::string& command, std::string_view demo, std::int16_t delaiMs) {
    return link_.EnvoieRequete(command, demo, 0, delaiMs);
}

int Elm327Link::runSetup(std::span<const SetupCommand> commands, bool lineEnd, const char* afterFirst) {
    Trace& trace = link_.trace();
    int number = 0;
    for (const auto& command : commands) {
        const auto answer = send(lineEnd ? std::string(command.text) + kLineEnd : command.text, command.demo,
                                 command.delaiMs);
        if (++number == 1 && afterFirst) trace.EcritTrace(afterFirst, false);
        trace.EcritTrace(std::to_string(number) + " :" + command.text + ": " + answer, false);
    }
    return number;
}

bool Elm327Link::InitComELM() {
    bool result = false;
    Trace& trace = link_.trace();
    trace.EcritTrace("Ouverture réussie", true);

    static constexpr SetupCommand kSetup[] = {
        {"ATZ", "ELM", 2000}, {"ATS0", "OK", 400}, {"ATL0", "OK", 400},
        {"ATH1", "OK", 400},  {"ATE0", "OK", 400}, {"ATSPA5", "OK", 400},
    };
    runSetup(kSetup, true, "Il va y avoir 7 commandes");
    link_.Attente(0.5);

    const std::string bloc = std::string("21A0") + kLineEnd;
    auto answer = send(bloc, "OK", 2000);
    trace.EcritTrace("7 :21A0: " + answer, false);
    if (answer.find("BUS INIT") != std::string::npos) result = true;

    answer = send(bloc, "OK", 2000);
    if (answer.find("96F11061A0") != std::string::npos) result = true;
    trace.EcritTrace("8 :21A0: " + answer, false);
    if (answer.find("SEARCH") != std::string::npos || answer.find("STOPP") != std::string::npos) {
        answer = send(bloc, "OK", 3000);
        if (answer.find("96F11061A0") != std::string::npos) result = true;
    }

    // A single line end: the adapter gets the request once.
    answer = send("1A92", "BF" + link_.EnteteReponse + "5A9249415735414D485730313053", 1000);
    identification_.clear();
    if (const auto data = proto::findAnswerData(answer, link_.EnteteReponse, "5A92")) {
        identification_ = proto::hexToAscii(proto::midText(answer, *data, 22));
    }
    view_.setText("lbPanel5", identification_);
    trace.EcritTrace("Type ECU : " + identification_, false);
    applyIdentification(view_, channels_, identification_);

    for (const char* command : {"81", "ATWM 8110F13EC0", "8302"}) send(std::string(command) + kLineEnd, "OKA", 400);
    if (port_.inputCount() > 0) port_.input();
    return result;
}

}  // namespace dravio::link
