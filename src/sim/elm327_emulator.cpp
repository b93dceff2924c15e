#include "sim/elm327_emulator.h"

#include <algorithm>

#include "proto/hex.h"
#include "sim/elm327_frames.h"

namespace dravio::sim {

using namespace std::chrono_literals;

namespace {

constexpr std::size_t kLineLimit = 128;  // the adapter's input buffer

// Characters that reach the adapter's command reader at all.
bool readable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '\r' || (u >= 0x20 && u < 0x7F);
}

bool isKLine(int protocol) { return protocol >= 3 && protocol <= 5; }

int protocolDigit(char c) { return (c >= '0' && c <= '9') ? c - '0' : c - 'A' + 10; }

}  // namespace

Elm327Profile Elm327Profile::genuine() { return Elm327Profile{}; }

Elm327Profile Elm327Profile::clone() {
    Elm327Profile p;
    p.version = "ELM327 v1.5";
    p.fastInitCommand = false;
    p.keyWordsCommand = false;
    p.wakeupMessageCommand = false;
    return p;
}

Elm327Emulator::Elm327Emulator(Elm327Profile profile, std::uint32_t serialBaud)
    : profile_(std::move(profile)), charTime_(Elm327Bus::byteTime(serialBaud == 0 ? 38400 : serialBaud)) {}

void Elm327Emulator::receive(TimePoint t, std::string_view chars) {
    for (const char c : chars) {
        const auto at = std::max(t, inputFree_) + charTime_;
        inputFree_ = at;
        input_.push_back({at, c});
    }
}

Elm327Emulator::TimePoint Elm327Emulator::nextKeepAlive() const {
    if (!connected_ || settings_.wakeupPeriodUnits == 0 || settings_.wakeupMessage.empty() ||
        bus_.lastActivity() == TimePoint::min()) {
        return TimePoint::max();
    }
    return std::max(bus_.lastActivity() + settings_.wakeupPeriodUnits * 20ms, busyUntil_);
}

void Elm327Emulator::advanceTo(TimePoint now) {
    for (;;) {
        if (!input_.empty() && input_.front().at < busyUntil_ &&
            (job_ == Job::Reset || (job_ == Job::Request && !readable(input_.front().c)))) {
            input_.pop_front();  // lost while resetting; a line feed never wakes the adapter
            continue;
        }
        const TimePoint inputAt = inputEventTime();
        const bool interrupts = !input_.empty() && input_.front().at < busyUntil_ && job_ == Job::Request;
        const TimePoint keepAlive = nextKeepAlive();
        if (std::min(inputAt, keepAlive) > now) break;
        if (keepAlive < inputAt) {
            sendWakeupMessage(keepAlive);
            continue;
        }
        const char c = input_.front().c;
        input_.pop_front();
        if (interrupts) {
            interrupt(inputAt);
        } else {
            processChar(inputAt, c);
        }
    }
}

std::string Elm327Emulator::takeDue(TimePoint now) {
    advanceTo(now);
    std::string out;
    while (!output_.empty() && output_.front().at <= now) {
        out += output_.front().c;
        lastDelivered_ = output_.front();
        output_.pop_front();
    }
    return out;
}

Elm327Emulator::TimePoint Elm327Emulator::inputEventTime() const {
    if (input_.empty()) return TimePoint::max();
    const Scheduled& c = input_.front();
    if (c.at >= busyUntil_ || job_ == Job::Reset) return c.at;
    if (job_ == Job::Request) return std::max(c.at, watchFrom_);
    return busyUntil_;
}

Elm327Emulator::TimePoint Elm327Emulator::nextDue() const {
    const TimePoint next = output_.empty() ? TimePoint::max() : output_.front().at;
    return std::min({next, inputEventTime(), nextKeepAlive()});
}

Elm327Emulator::TimePoint Elm327Emulator::emitText(TimePoint t, std::string_view text) {
    for (const char c : text) {
        const auto put = [&](char ch) {
            const auto at = std::max(t, outputFree_) + charTime_;
            outputFree_ = at;
            output_.push_back({at, ch});
            lastOutput_ = ch;
        };
        put(c);
        if (c == '\r' && settings_.linefeeds) put('\n');
    }
    return std::max(t, outputFree_);
}

void Elm327Emulator::finish(TimePoint t, const std::vector<std::string>& lines) {
    for (const auto& line : lines) t = emitText(t, line + "\r");
    busyUntil_ = emitText(t, "\r>");
}

void Elm327Emulator::finishText(TimePoint t, std::string_view text) { finish(t, {std::string(text)}); }

void Elm327Emulator::processChar(TimePoint t, char c) {
    if (!readable(c)) return;
    if (settings_.echo) emitText(t, std::string(1, c));
    if (c != '\r') {
        if (line_.size() < kLineLimit) {
            line_ += c;
        } else {
            lineOverflow_ = true;
        }
        return;
    }
    std::string line;
    line.swap(line_);
    const bool overflow = lineOverflow_;
    lineOverflow_ = false;
    job_ = Job::Command;
    if (overflow) {
        finishText(t + kCommandDelay, "?");
        return;
    }
    execute(t, line);
}

void Elm327Emulator::execute(TimePoint t, const std::string& raw) {
    std::string command = normaliseCommand(raw);
    if (command.empty()) {
        command = lastCommand_;
        if (command.empty()) {
            busyUntil_ = emitText(t + kCommandDelay, ">");
            return;
        }
    }
    lastCommand_ = command;
    if (command.rfind("AT", 0) == 0) {
        if (const auto at = parseAt(command)) {
            runAt(t, *at);
        } else {
            finishText(t + kCommandDelay, "?");
        }
        return;
    }
    if (const auto bytes = parseRequestBytes(command)) {
        runRequest(t, *bytes);
    } else {
        finishText(t + kCommandDelay, "?");
    }
}

std::string Elm327Emulator::protocolName(int protocol) const {
    switch (protocol) {
        case 0: return "AUTO";
        case 1: return "SAE J1850 PWM";
        case 2: return "SAE J1850 VPW";
        case 3: return "ISO 9141-2";
        case 4: return "ISO 14230-4 (KWP 5BAUD)";
        case 5: return "ISO 14230-4 (KWP FAST)";
        case 6: return "ISO 15765-4 (CAN 11/500)";
        case 7: return "ISO 15765-4 (CAN 29/500)";
        case 8: return "ISO 15765-4 (CAN 11/250)";
        case 9: return "ISO 15765-4 (CAN 29/250)";
        case 10: return "SAE J1939 (CAN 29/250)";
        case 11: return "USER1 CAN (11* /125)";
        default: return "USER2 CAN (11* /50)";
    }
}

void Elm327Emulator::runAt(TimePoint t, const AtRequest& at) {
    const TimePoint reply = t + kCommandDelay;
    const std::string& arg = at.argument;
    const auto ok = [&] { finishText(reply, "OK"); };
    const auto refuse = [&] { finishText(reply, "?"); };
    switch (at.command) {
        case AtCommand::Reset:
        case AtCommand::WarmStart: {
            settings_ = Elm327Settings{};
            connected_ = false;
            lastCommand_.clear();
            job_ = Job::Reset;
            const auto delay = at.command == AtCommand::Reset ? kResetDelay : kWarmStartDelay;
            finish(t + delay, {"", "", profile_.version});
            return;
        }
        case AtCommand::Defaults:
            settings_ = Elm327Settings{};
            connected_ = false;
            return ok();
        case AtCommand::Identify:
            return finishText(reply, profile_.version);
        case AtCommand::DeviceDescription:
            return finishText(reply, "OBDII to RS232 Interpreter");
        case AtCommand::Echo:
            settings_.echo = arg == "1";
            return ok();
        case AtCommand::Linefeeds:
            settings_.linefeeds = arg == "1";
            return ok();
        case AtCommand::Spaces:
            settings_.spaces = arg == "1";
            return ok();
        case AtCommand::Headers:
            settings_.headers = arg == "1";
            return ok();
        case AtCommand::Memory:
            return ok();
        case AtCommand::SetProtocol:
        case AtCommand::TryProtocol: {
            const bool automaticFlag = arg.front() == 'A';
            const int protocol = protocolDigit(arg.back());
            settings_.protocol = protocol;
            settings_.automatic = automaticFlag || protocol == 0;
            connected_ = false;
            return ok();
        }
        case AtCommand::DescribeProtocol: {
            const std::string name = protocolName(settings_.protocol);
            if (settings_.automatic && settings_.protocol != 0) return finishText(reply, "AUTO, " + name);
            return finishText(reply, name);
        }
        case AtCommand::DescribeProtocolNumber: {
            const std::string digit = proto::ByteToHex(settings_.protocol).substr(1);
            return finishText(reply, (settings_.automatic ? "A" : "") + digit);
        }
        case AtCommand::SetHeader:
            if (arg.size() == 6) {
                const auto bytes = hexBytes(arg);
                if (bytes && bytes->size() == 3) std::copy(bytes->begin(), bytes->end(), settings_.header.begin());
            }
            return ok();
        case AtCommand::WakeupMessage:
            if (!profile_.wakeupMessageCommand) return refuse();
            if (const auto bytes = hexBytes(arg)) settings_.wakeupMessage = *bytes;
            return ok();
        case AtCommand::WakeupPeriod:
            settings_.wakeupPeriodUnits = proto::HexToByte(arg);
            return ok();
        case AtCommand::FastInit: {
            if (!profile_.fastInitCommand || settings_.protocol != 5) return refuse();
            const Init init = fastInit(reply);
            connected_ = init.ok;
            emitText(reply, "BUS INIT: ");
            return finishText(init.end, init.ok ? "OK" : "ERROR");
        }
        case AtCommand::SlowInit: {
            if (settings_.protocol != 3 && settings_.protocol != 4) return refuse();
            TimePoint printAt = emitText(reply, "BUS INIT: ");
            const Init init = slowInit(reply, printAt, true);
            connected_ = init.ok;
            return finishText(std::max(init.end, printAt), init.ok ? "OK" : "ERROR");
        }
        case AtCommand::KeyWords:
            if (!profile_.keyWordsCommand) return refuse();
            if (arg.empty()) {
                if (!connected_) return finishText(reply, "NO DATA");
                return finishText(reply, "1:" + proto::ByteToHex(keyBytes_[0]) + " 2:" + proto::ByteToHex(keyBytes_[1]));
            }
            settings_.keyWordCheck = arg == "1";
            return ok();
        case AtCommand::AllowLong:
            settings_.allowLong = true;
            return ok();
        case AtCommand::NormalLength:
            settings_.allowLong = false;
            return ok();
        case AtCommand::Timeout: {
            const int units = proto::HexToByte(arg);
            settings_.timeoutUnits = units == 0 ? Elm327Settings{}.timeoutUnits : units;
            return ok();
        }
        case AtCommand::ProtocolClose:
            connected_ = false;
            return ok();
        case AtCommand::InitAddress:
            settings_.initAddress = proto::HexToByte(arg);
            return ok();
        case AtCommand::AdaptiveTiming:
            return ok();
    }
    refuse();
}

Elm327Emulator::Duration Elm327Emulator::timeout() const { return settings_.timeoutUnits * 4ms; }

std::vector<std::uint8_t> Elm327Emulator::frame(const std::vector<std::uint8_t>& data) const {
    const auto& h = settings_.header;
    // ISO 9141 takes the header as given; KWP2000 gets the length written
    // into the format byte it was given.
    const std::uint8_t format =
        settings_.protocol == 3 ? h[0] : static_cast<std::uint8_t>((h[0] & 0xC0) | (data.size() & 0x3F));
    std::vector<std::uint8_t> msg;
    msg.reserve(data.size() + 4);
    msg.push_back(format);
    msg.push_back(h[1]);
    msg.push_back(h[2]);
    for (const std::uint8_t b : data) msg.push_back(b);
    msg.push_back(sumOf(msg));
    return msg;
}

Elm327Emulator::Init Elm327Emulator::fastInit(TimePoint t) {
    TimePoint start = t;
    if (bus_.lastActivity() != TimePoint::min()) start = std::max(t, bus_.lastActivity() + kIdleBeforeWakeUp);
    const TimePoint afterPattern = bus_.fastWakeUp(start);
    const std::vector<std::uint8_t> startCommunication = frame({0x81});
    const TimePoint sent = bus_.transmit(afterPattern, startCommunication, kByteGap);
    const auto frames = splitFrames(bus_.heardAfter(sent), kInterByteLimit, true);
    const TimePoint deadline = sent + timeout();
    for (const auto& f : frames) {
        if (f.start > deadline) break;
        const auto data = frameData(f, true);
        if (!checksumOk(f.bytes) || data.empty()) continue;
        if (data[0] == 0xC1 && data.size() >= 3) {
            keyBytes_ = {data[1], data[2]};
            return {true, f.end};
        }
        return {false, f.end};  // a refusal
    }
    return {false, deadline};
}

Elm327Emulator::Init Elm327Emulator::slowInit(TimePoint t, TimePoint& printAt, bool printDots) {
    TimePoint start = t;
    if (bus_.lastActivity() != TimePoint::min()) start = std::max(t, bus_.lastActivity() + kIdleBeforeWakeUp);
    const TimePoint addressEnd = bus_.fiveBaudAddress(start, settings_.initAddress);
    if (printDots) {
        // Three dots while the address goes out at 5 baud.
        for (int i = 1; i <= 3; ++i) printAt = emitText(std::max(printAt, start + i * 600ms), ".");
    }
    const auto heard = bus_.heardAfter(addressEnd);
    // Sync byte within W1, two key bytes within W2/W3 of it.
    if (heard.size() < 3 || heard[0].byte != 0x55 || heard[0].at > addressEnd + 300ms ||
        heard[1].at > heard[0].at + kInterByteLimit || heard[2].at > heard[1].at + kInterByteLimit) {
        return {false, addressEnd + 300ms};
    }
    keyBytes_ = {heard[1].byte, heard[2].byte};
    const auto inverted = static_cast<std::uint8_t>(~heard[2].byte);
    const TimePoint sent = bus_.transmit(heard[2].at + kKeyByteWait, {inverted}, kByteGap);
    const auto answer = bus_.heardAfter(sent);
    if (answer.empty() || answer[0].at > sent + 50ms || answer[0].byte != static_cast<std::uint8_t>(~settings_.initAddress)) {
        return {false, sent + 50ms};
    }
    return {true, answer[0].at};
}

void Elm327Emulator::runRequest(TimePoint t, const std::vector<std::uint8_t>& data) {
    job_ = Job::Request;
    TimePoint at = t + kCommandDelay;
    watchFrom_ = at;
    const std::size_t maxData = settings_.allowLong ? 63 : 7;
    if (data.size() > maxData) {
        job_ = Job::Command;
        return finishText(at, "?");
    }
    if (!connected_) {
        const int asked = settings_.protocol;
        bool ok = false;
        if (isKLine(asked)) {
            at = emitText(at, "BUS INIT: ");
            TimePoint printAt = at;
            const Init init = asked == 5 ? fastInit(at) : slowInit(at, printAt, true);
            ok = init.ok;
            at = std::max(init.end, printAt);
            if (ok) {
                at = emitText(at, "OK\r");
            } else if (!settings_.automatic) {
                watchFrom_ = at;
                return finishText(at, "ERROR");
            } else {
                at = emitText(at, "ERROR\r");
            }
        }
        if (!ok && settings_.automatic) {
            at = emitText(at, "SEARCHING...\r");
            for (const int protocol : {5, 4, 3}) {
                if (protocol == asked) continue;
                settings_.protocol = protocol;
                TimePoint printAt = at;
                const Init init = protocol == 5 ? fastInit(at) : slowInit(at, printAt, false);
                at = init.end;
                if (init.ok) {
                    ok = true;
                    break;
                }
            }
            if (!ok) settings_.protocol = asked;
        }
        watchFrom_ = at;
        if (!ok) return finishText(at, "UNABLE TO CONNECT");
        connected_ = true;
    }

    TimePoint start = at;
    if (bus_.lastActivity() != TimePoint::min()) start = std::max(at, bus_.lastActivity() + kRequestGap);
    const TimePoint sent = bus_.transmit(start, frame(data), kByteGap);
    watchFrom_ = sent;

    const bool kwp = settings_.protocol != 3;
    const auto frames = splitFrames(bus_.heardAfter(sent), kInterByteLimit, kwp);
    TimePoint deadline = sent + timeout();
    bool printed = false;
    for (const auto& f : frames) {
        if (f.start > deadline) break;
        emitText(f.end, formatFrame(f, settings_.headers, settings_.spaces, kwp) + "\r");
        printed = true;
        deadline = f.end + std::min(timeout(), kMoreMessagesWait);
        const auto body = frameData(f, kwp);
        // "Response pending": the ECU asked for more time.
        if (body.size() >= 3 && body[0] == 0x7F && body[2] == 0x78) deadline = f.end + kResponsePending;
    }
    bus_.forgetBefore(deadline);
    if (!printed) return finishText(deadline, "NO DATA");
    busyUntil_ = emitText(deadline, "\r>");
}

void Elm327Emulator::interrupt(TimePoint t) {
    while (!output_.empty() && output_.back().at > t) output_.pop_back();
    if (!output_.empty()) {
        outputFree_ = output_.back().at;
        lastOutput_ = output_.back().c;
    } else {
        outputFree_ = lastDelivered_.at;
        lastOutput_ = lastDelivered_.c;
    }
    job_ = Job::Command;
    const bool midLine = lastOutput_ != '\r' && lastOutput_ != '\n' && lastOutput_ != '>' && lastOutput_ != '\0';
    t = emitText(t, midLine ? "\r" : "");
    finishText(t, "STOPPED");
}

void Elm327Emulator::sendWakeupMessage(TimePoint t) {
    std::vector<std::uint8_t> msg = settings_.wakeupMessage;
    msg.push_back(sumOf(msg));
    bus_.transmit(t, msg, kByteGap);
}

}  // namespace dravio::sim
