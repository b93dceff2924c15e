#include "ports/tty_cable.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "ports/device_errors.h"
#include "ports/serial_devices.h"

namespace dravio::ports {
namespace {

// A K-line exchange is a few hundred bytes; a device that floods us beyond this
// is left to the kernel's buffer rather than growing ours without bound.
constexpr std::size_t kMaxPending = 64 * 1024;
constexpr auto kWriteTimeout = std::chrono::milliseconds(1000);

bool refusedByDriver(int err) { return err == ENOTTY || err == EINVAL || err == EOPNOTSUPP; }

}  // namespace

TtyCable::TtyCable(std::string devDir) : devDir_(std::move(devDir)) {}

TtyCable::~TtyCable() { close(); }

int TtyCable::fail(int status, std::string why) {
    lastError_ = std::move(why);
    return status;
}

int TtyCable::ioFailure(const std::string& operation, int err) {
    if (deviceVanished(err)) gone_ = true;
    return fail(kCableIoError, explainTtyError(tty_.path(), operation, err));
}

int TtyCable::notOpen() { return fail(kCableInvalidHandle, "Le câble K-line n'est pas ouvert"); }

int TtyCable::deviceCount(std::uint32_t& count) {
    count = static_cast<std::uint32_t>(listDevicesOfKind(devDir_, "ttyUSB").size());
    return kCableOk;
}

int TtyCable::deviceDescription(std::uint32_t index, std::string& description) {
    const auto devices = listDevicesOfKind(devDir_, "ttyUSB");
    if (index >= devices.size()) {
        return fail(kCableDeviceNotFound, "Aucun câble K-line n°" + std::to_string(index + 1) + " dans " + devDir_);
    }
    description = devices[index];
    return kCableOk;
}

int TtyCable::open(const std::string& description) {
    if (tty_.isOpen()) return fail(kCableOtherError, "Le câble K-line est déjà ouvert");
    if (description.empty()) return fail(kCableDeviceNotFound, "Aucun câble K-line choisi");
    const std::string path = description.find('/') == std::string::npos ? devDir_ + "/" + description : description;

    if (const int err = tty_.open(path); err != 0) {
        const int status =
            (err == ENOENT || err == ENODEV || err == ENXIO) ? kCableDeviceNotFound : kCableDeviceNotOpened;
        return fail(status, explainTtyOpenError(path, err));
    }
    if (const int err = tty_.lockExclusive(); err != 0) {
        tty_.close();
        return fail(kCableDeviceNotOpened, explainTtyOpenError(path, err == EWOULDBLOCK ? EBUSY : err));
    }
    if (const int err = tty_.configure(line_); err != 0) {
        tty_.close();
        return fail(kCableDeviceNotOpened, explainTtyError(path, "configuration", err));
    }
    // Short answers must not wait for the driver's batching timer.
    tty_.requestLowLatency();
    tty_.flush();
    gone_ = false;
    pending_.clear();
    pendingStart_ = 0;
    lastError_.clear();
    return kCableOk;
}

int TtyCable::applyLine() {
    const int err = tty_.configure(line_);
    if (err == EINVAL) {
        return fail(kCableInvalidBaudRate,
                    "Vitesse de " + std::to_string(line_.baud) + " bauds refusée par " + tty_.path());
    }
    if (err != 0) return ioFailure("configuration", err);
    return kCableOk;
}

int TtyCable::reset() {
    // A tty has no device reset: bring the line back to idle with nothing queued.
    if (!tty_.isOpen()) return notOpen();
    if (const int err = tty_.setBreak(false); err != 0 && !refusedByDriver(err)) {
        return ioFailure("reset", err);
    }
    return purge();
}

int TtyCable::purge() {
    if (!tty_.isOpen()) return notOpen();
    pending_.clear();
    pendingStart_ = 0;
    if (const int err = tty_.flush(); err != 0) {
        return ioFailure("purge", err);
    }
    return kCableOk;
}

int TtyCable::setBaudRate(std::uint32_t baud) {
    if (!tty_.isOpen()) return notOpen();
    if (baud == 0 || baud > kMaxBaud) {
        return fail(kCableInvalidBaudRate, "Vitesse de " + std::to_string(baud) + " bauds invalide");
    }
    const LineSettings previous = line_;
    line_.baud = baud;
    if (const int status = applyLine(); status != kCableOk) {
        line_ = previous;
        return status;
    }
    // A driver that cannot make the rate rounds it; more than 3 % off and the
    // ECU would not understand us.
    if (const auto actual = tty_.baudRate(); actual && *actual != 0) {
        const auto diff = *actual > baud ? *actual - baud : baud - *actual;
        if (static_cast<std::uint64_t>(diff) * 100 > static_cast<std::uint64_t>(baud) * 3) {
            line_ = previous;
            applyLine();
            return fail(kCableInvalidBaudRate, "Vitesse de " + std::to_string(baud) + " bauds impossible sur " +
                                                   tty_.path() + " (le pilote donne " + std::to_string(*actual) + ")");
        }
    }
    return kCableOk;
}

std::uint32_t TtyCable::actualBaudRate() const { return tty_.baudRate().value_or(0); }

int TtyCable::setDataCharacteristics8N1() {
    if (!tty_.isOpen()) return notOpen();
    line_.parity = Parity::None;
    line_.dataBits = 8;
    line_.stopBits = 1;
    return applyLine();
}

int TtyCable::write(std::uint8_t byte) {
    if (!tty_.isOpen()) return notOpen();
    if (const int err = tty_.writeAll(&byte, 1, kWriteTimeout); err != 0) {
        return ioFailure("écriture", err);
    }
    return kCableOk;
}

int TtyCable::drain() {
    if (pendingStart_ > 0 && pendingStart_ == pending_.size()) {
        pending_.clear();
        pendingStart_ = 0;
    }
    const std::size_t held = pending_.size() - pendingStart_;
    if (held >= kMaxPending) return kCableOk;
    if (pendingStart_ > 0) {
        // Compact before growing so the buffer stays bounded.
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingStart_));
        pendingStart_ = 0;
    }
    if (const int err = tty_.readAvailable(pending_, kMaxPending - held); err != 0) {
        return ioFailure("lecture", err);
    }
    return kCableOk;
}

int TtyCable::queueStatus(std::uint32_t& count) {
    count = 0;
    if (!tty_.isOpen()) return notOpen();
    const int status = drain();
    count = static_cast<std::uint32_t>(pending_.size() - pendingStart_);
    return status;
}

int TtyCable::read(std::uint32_t count, std::vector<std::uint8_t>& out) {
    if (!tty_.isOpen()) return notOpen();
    const int status = drain();
    const std::size_t take = std::min<std::size_t>(count, pending_.size() - pendingStart_);
    const auto first = pending_.begin() + static_cast<std::ptrdiff_t>(pendingStart_);
    out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(take));
    pendingStart_ += take;
    return take > 0 ? kCableOk : status;
}

int TtyCable::breakOn() {
    if (!tty_.isOpen()) return notOpen();
    const int err = tty_.setBreak(true);
    // Ptys and a few drivers have no break; the call sequence must go on.
    if (err != 0 && !refusedByDriver(err)) {
        return ioFailure("break", err);
    }
    return kCableOk;
}

int TtyCable::breakOff() {
    if (!tty_.isOpen()) return notOpen();
    const int err = tty_.setBreak(false);
    if (err != 0 && !refusedByDriver(err)) {
        return ioFailure("break", err);
    }
    return kCableOk;
}

int TtyCable::close() {
    tty_.close();
    pending_.clear();
    pendingStart_ = 0;
    return kCableOk;
}

std::uint32_t TtyCable::waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) {
    if (!tty_.isOpen()) return 0;
    const auto held = [this] { return static_cast<std::uint32_t>(pending_.size() - pendingStart_); };
    for (;;) {
        // Draining first means poll below only wakes for bytes not yet seen.
        if (drain() != kCableOk || held() >= count) return held();
        if (pending_.size() - pendingStart_ >= kMaxPending) return held();
        switch (tty_.waitReadable(deadline)) {
            case TtyDevice::Wait::Readable:
                continue;
            case TtyDevice::Wait::TimedOut:
                drain();
                return held();
            case TtyDevice::Wait::HungUp:
                gone_ = true;
                fail(kCableIoError, "Le câble K-line " + tty_.path() + " a été déconnecté");
                return held();
            case TtyDevice::Wait::Failed:
                ioFailure("attente", errno);
                return held();
        }
    }
}

}  // namespace dravio::ports
