#include "link/link.h"

#include <algorithm>
#include <cmath>

#include "link/answer_check.h"
#include "proto/hex.h"
#include "proto/answer.h"
#include "proto/nack.h"

namespace dravio::link {

using base::Clock;

namespace {

// Clears DialogueActif on every way out of an exchange.
class DialogueGuard {
public:
    explicit DialogueGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~DialogueGuard() { flag_ = false; }
    DialogueGuard(const DialogueGuard&) = delete;
    DialogueGuard& operator=(const DialogueGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

Link::Link(base::EventLoop& loop, Trace& trace)
    : loop_(loop), trace_(trace), Timer1_(loop, [this] { TimeOutReponse = 1; }), Timer_present_(loop) {}

void Link::Attente(double secondes) {
    if (!(secondes > 0.0) || lost()) return;
    const auto duration = std::chrono::nanoseconds(std::llround(secondes * 1e9));
    Clock& clock = loop_.clock();
    clock.sleepUntil(clock.now() + duration);
}

bool Link::lost() {
    if (deviceLost_.empty() && cable_ && TypeInterface != kInterfaceElm327 && cable_->gone()) {
        reportDeviceLost(cable_->lastError());
    }
    return !deviceLost_.empty();
}

void Link::reportDeviceLost(const std::string& why) {
    if (!deviceLost_.empty()) return;
    deviceLost_ = why.empty() ? text(2520, "périphérique disparu") : why;
    trace_.EcritTrace(text(2521, "Périphérique perdu : ") + deviceLost_, true);
    Timer_present_.setEnabled(false);
    setShape1(kShape1Red);
    if (onDeviceLost_) onDeviceLost_(deviceLost_);
}

void Link::setShape1(std::uint32_t colour) {
    Shape1_ = colour;
    if (view_) view_->shape1ColourChanged(colour);
}

std::string Link::EnvoieRequete(std::string_view requete, std::string_view reponseDemo,
                                std::int16_t longueurReponse, std::int16_t delaiMs) {
    if (DialogueActif_) return {};
    if (!ModeDemo && lost()) return {};
    DialogueGuard dialogue(DialogueActif_);

    if (TypeInterface == kInterfaceElm327) {
        if (!elm_) {
            trace_.EcritTrace(text(2522, "ELM327 : adaptateur non configuré"), false);
            return {};
        }
        return elm_(requete, delaiMs);
    }

    const std::string line = proto::frameRequest(requete, TypeECU, EnteteRequete);
    std::string answer;
    lastReceived_.clear();

    if (ModeDemo) {
        if (view_) view_->restoreDefaultPointer();
        answer = reponseDemo;
        if (TraceActive) {
            trace_.EcritTrace("E: " + line, true);
            trace_.EcritTrace("R: " + answer, true);
            if (answer.size() != 2 * static_cast<std::size_t>(std::max<int>(longueurReponse, 0))) {
                trace_.EcritTrace("Log reponse : " + std::to_string(answer.size()) + "Lg prog : " +
                                      std::to_string(longueurReponse),
                                  false);
            }
        }
        Attente(0.15);
    } else {
        answer = exchangeOnLine(line, longueurReponse, delaiMs);
    }

    if (!ModeDemo && lost()) return {};
    setShape1(answer.empty() ? kShape1Red : kShape1Green);
    if (line.find("F181") != std::string::npos) trace_.EcritTrace(" ", false);
    if (!ModeDemo && proto::isNegativeAnswer(lastReceived_, EnteteReponse)) DecodeNack(trace_, lastReceived_, EnteteReponse);
    return answer;
}

std::string Link::exchangeOnLine(const std::string& line, std::int16_t longueurReponse, std::int16_t delaiMs) {
    ports::KLineCable* cable = cable_;
    std::vector<std::uint8_t> bytes;

    // Whatever the line carried before this request is not its answer.
    std::uint32_t waiting = 0;
    if (cable && cable->queueStatus(waiting) == 0 && waiting > 0) cable->read(waiting, bytes);
    bytes.clear();

    if (!line.empty()) {
        for (const std::uint8_t byte : proto::fromHex(line)) {
            Attente(0.006);
            if (cable) cable->write(byte);
        }
    }
    if (TraceActive) trace_.EcritTrace("E: " + line, true);

    if (Timer_present_.enabled()) Timer_present_.restart();

    TimeOutReponse = 0;
    Timer1_.setInterval(std::chrono::milliseconds(std::max<int>(delaiMs, 0)));
    Timer1_.setEnabled(true);

    const auto lineBytes = static_cast<std::uint32_t>(line.size() / 2);
    auto expected = lineBytes + static_cast<std::uint32_t>(std::max<int>(longueurReponse, 0));
    const bool kwp = !line.empty() && proto::isKwp(TypeECU);
    const std::uint8_t tester =
        EnteteRequete.size() == 4 ? static_cast<std::uint8_t>(proto::HexToByte(EnteteRequete.substr(2, 2))) : 0xF1;
    // Response-pending frames heard so far (bytes), which the answer comes after.
    std::size_t pending = 0;
    int pendingFrames = 0;
    const auto afterEcho = [&] {
        const std::size_t echo = std::min<std::size_t>(lineBytes, bytes.size());
        return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(echo), bytes.end());
    };
    Clock& clock = loop_.clock();
    for (;;) {
        std::uint32_t count = 0;
        if (cable) cable->queueStatus(count);
        loop_.pump();
        // A device that went away never completes the answer: stop waiting.
        if (TimeOutReponse == 1 || (cable && cable->gone())) break;
        if (bytes.size() + count >= expected) {
            if (!kwp || !cable) break;
            // An ECU that needs time says so (7F xx 78) and answers later, within
            // P2* (ISO 14230-2: up to 5 s after each such frame).
            cable->read(count, bytes);
            const std::size_t seen = kwpPendingLength(afterEcho(), tester);
            if (seen <= pending || pendingFrames >= kMaxPendingFrames) break;
            expected += static_cast<std::uint32_t>(seen - pending);
            pending = seen;
            ++pendingFrames;
            Timer1_.setInterval(std::max(std::chrono::milliseconds(std::max<int>(delaiMs, 0)), kPendingTimeout));
            Timer1_.restart();
            continue;
        }
        // Sleep until the bytes are there, the next timer (Timer1 among them) is
        // due, or it is time to look at queued events again.
        const auto until = std::min(loop_.nextTimerDue(), clock.now() + kEventSlice);
        if (cable) {
            cable->waitForQueue(expected - static_cast<std::uint32_t>(bytes.size()), until);
        } else {
            clock.sleepUntil(until);
        }
    }

    if (cable && cable->queueStatus(waiting) == 0 && waiting > 0) cable->read(waiting, bytes);
    Timer1_.setEnabled(false);
    if (pending > 0) {
        // The answer is what came after the ECU's requests for time.
        const std::size_t echo = std::min<std::size_t>(lineBytes, bytes.size());
        trace_.EcritTrace(text(2516, "Réponse en attente (7F xx 78) : ") + std::to_string(pendingFrames), true);
        bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(echo),
                    bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), echo + pending)));
    }

    lastReceived_ = proto::toHex(bytes);
    // The echo is dropped by position, not compared with what was sent.
    const auto answerLength = 2 * static_cast<std::size_t>(std::max<int>(longueurReponse, 0));
    std::string answer{proto::midText(lastReceived_, line.size(), answerLength)};
    // A KWP2000 answer must be whole frames; listening (no request) takes what comes,
    // and a request heard back whole (a second echo) is left to the caller.
    if (kwp && !answer.empty() && answer != line) {
        const std::size_t echo = std::min<std::size_t>(line.size() / 2, bytes.size());
        const std::size_t after = bytes.size() - echo;
        const std::size_t taken = std::min(after, answerLength / 2);
        const std::vector<std::uint8_t> frames(bytes.begin() + static_cast<std::ptrdiff_t>(echo),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(echo + taken));
        // All the bytes asked for came: a frame longer than that was cut by the caller.
        if (const auto problem = kwpAnswerProblem(frames, tester, taken == answerLength / 2)) {
            trace_.EcritTrace(text(2517, "Réponse rejetée (") + text(problem->id, problem->french) + problem->detail +
                                  ") : " + answer,
                              true);
            answer.clear();
        }
    }

    if (TraceActive) {
        trace_.EcritTrace("R: " + answer, true);
        if (answer.size() != answerLength) trace_.EcritTrace("Long reponse : " + std::to_string(answer.size()), true);
    }
    return answer;
}

}  // namespace dravio::link
