#include "sim/responder.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim/kwp_ecu.h"
#include "sim/obd_ecu.h"
#include "sim/onebyte_ecu.h"
#include "sim/line_io.h"

namespace dravio::sim {


SimulatedEcu makeSimulatedEcu(std::string_view model, bool lenient, bool awake, Clock::TimePoint origin) {
    SimulatedEcu ecu;
    KwpSessionOptions options;
    options.lenient = lenient;
    options.startAwake = awake;
    if (model == "59m" || model == "5am") {
        auto device = std::make_unique<KwpEcu>(model == "59m" ? KwpScenario::m59() : KwpScenario::m5a(), options);
        ecu.session = device.get();
        ecu.device = std::move(device);
        return ecu;
    }
    if (model == "obd") {
        auto device = std::make_unique<ObdEcu>(ObdScenario{}, options);
        ecu.session = device.get();
        ecu.device = std::move(device);
        return ecu;
    }
    const struct {
        std::string_view name;
        OneByteVariant variant;
    } oneByte[] = {{"mm16", OneByteVariant::MM16},
                   {"mm15", OneByteVariant::MM15},
                   {"15rc", OneByteVariant::RC15},
                   {"p8", OneByteVariant::P8}};
    for (const auto& m : oneByte) {
        if (m.name != model) continue;
        ecu.engine = std::make_unique<EngineModel>(1, origin);
        auto device = std::make_unique<OneByteEcu>(m.variant, *ecu.engine);
        // Over a pseudo-terminal nobody turns a key: listening from the start.
        if (awake || lenient) device->startAwake();
        ecu.oneByte = device.get();
        ecu.device = std::move(device);
        ecu.baud = kOneByteCommandBaud;
        return ecu;
    }
    return ecu;
}

Responder::Responder(SimulatedEcu& ecu, ResponderOptions options, SniffLog* log)
    : ecu_(ecu), options_(std::move(options)), log_(log) {
    if (options_.elm) {
        elm_ = std::make_unique<Elm327Emulator>(options_.profile);
        elm_->setEcu(ecu_.device.get());
    }
}

void Responder::queue(Out item) {
    const auto at = std::upper_bound(out_.begin(), out_.end(), item,
                                     [](const Out& a, const Out& b) { return a.at < b.at; });
    out_.insert(at, item);
}

void Responder::send(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) {
    // The tester has the byte once its stop bit is in.
    const auto begin = std::max(start, ecuLineFree_);
    ecuLineFree_ = begin + byteTime(baud);
    queue({ecuLineFree_, byte, false});
}

void Responder::testerBytes(Clock::TimePoint t, const std::vector<std::uint8_t>& bytes, std::uint32_t baud) {
    if (bytes.empty()) return;
    if (log_) log_->write(t, SniffLog::Direction::TesterToEcu, bytes);
    if (elm_) {
        elm_->receive(t, std::string(bytes.begin(), bytes.end()));
        return;
    }
    const bool silentBefore = lastTesterByte_ == Clock::TimePoint::min() || t - lastTesterByte_ >= options_.wakeSilence;
    lastTesterByte_ = t;
    if (ecu_.session && bytes.size() == 1 && bytes[0] == 0xF0 && silentBefore) {
        // A 200-baud 0xF0 is the fast wake-up pattern; the pty only shows the byte.
        ecu_.session->wakeUp(t);
        if (options_.echo) queue({t, 0xF0, true});
        return;
    }
    const std::uint32_t rate = (baud >= 5 && baud <= 20000) ? baud : ecu_.baud;
    // The bytes came together; on the line they were one after the other.
    const auto step = byteTime(rate);
    auto end = t - step * static_cast<long>(bytes.size() - 1);
    for (const std::uint8_t b : bytes) {
        if (options_.echo) queue({t, b, true});
        if (ecu_.device) ecu_.device->onTesterByte(*this, end, b, rate);
        end += step;
    }
}

void Responder::testerBaud(Clock::TimePoint t, std::uint32_t baud) {
    const bool turnedTo1200 = baud == kOneByteCodeBaud && testerBaud_ != kOneByteCodeBaud;
    testerBaud_ = baud;
    if (turnedTo1200 && ecu_.oneByte != nullptr && !elm_) ecu_.oneByte->requestKeyOn(*this, t);
}

std::vector<std::uint8_t> Responder::takeDue(Clock::TimePoint now) {
    std::vector<std::uint8_t> due;
    if (elm_) {
        const std::string text = elm_->takeDue(now);
        due.assign(text.begin(), text.end());
        if (log_) log_->write(now, SniffLog::Direction::EcuToTester, due);
        return due;
    }
    if (ecu_.session) ecu_.session->pump(*this, now);
    std::vector<std::uint8_t> fromEcu;
    Clock::TimePoint firstEcu{};
    while (!out_.empty() && out_.front().at <= now) {
        const Out item = out_.front();
        out_.pop_front();
        due.push_back(item.byte);
        if (!item.echo) {
            if (fromEcu.empty()) firstEcu = item.at;
            fromEcu.push_back(item.byte);
        }
    }
    if (log_) log_->write(firstEcu, SniffLog::Direction::EcuToTester, fromEcu);
    return due;
}

Clock::TimePoint Responder::nextDue() const {
    if (elm_) return elm_->nextDue();
    return out_.empty() ? Clock::TimePoint::max() : out_.front().at;
}

namespace {
constexpr long long kBaudLookMs = 20;
}

int serve(int fd, int stopFd, Responder& responder, base::Clock& clock, std::uint32_t (*testerBaud)(int),
          std::string& error) {
    std::vector<char> buffer(4096);
    bool watchStop = stopFd >= 0;
    for (;;) {
        const auto now = clock.now();
        const auto due = responder.takeDue(now);
        if (!writeAll(fd, due.data(), due.size(), error)) return 1;
        // Sleep until the next byte is due or input comes, whichever is first.
        const auto next = responder.nextDue();
        // A pty shows the tester's baud rate but tells nobody when it changes: look often.
        const long long longest = testerBaud ? kBaudLookMs : 60'000;
        int timeoutMs = testerBaud ? static_cast<int>(longest) : -1;
        if (next != Clock::TimePoint::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(next - clock.now()).count();
            timeoutMs = left <= 0 ? 0 : static_cast<int>(std::min<long long>((left + 999) / 1000, longest));
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {watchStop ? stopFd : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll failed: ") + std::strerror(errno);
            return 1;
        }
        if (testerBaud) responder.testerBaud(clock.now(), testerBaud(fd));
        if (fds[1].revents != 0) {
            char sink[256];
            const ssize_t n = ::read(stopFd, sink, sizeof sink);
            if (n <= 0) return 0;  // standard input closed: the bench is over
        }
        const auto onBytes = [&](std::span<const char> bytes) {
            responder.testerBytes(clock.now(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                  testerBaud ? testerBaud(fd) : 0);
        };
        if (!readReady(fd, fds[0].revents, buffer, onBytes, error)) return 1;
    }
}

}  // namespace dravio::sim
