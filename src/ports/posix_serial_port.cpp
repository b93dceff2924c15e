#include "ports/posix_serial_port.h"

#include <cerrno>
#include <chrono>
#include <vector>

#include "ports/device_errors.h"
#include "ports/serial_devices.h"

namespace dravio::ports {
namespace {

// An adapter that accepts nothing for this long is gone.
constexpr auto kOutputTimeout = std::chrono::milliseconds(2000);
// What one input() call takes at most; the rest waits for the next call.
constexpr std::size_t kMaxInput = 1 << 20;

}  // namespace

PosixSerialPort::PosixSerialPort(std::string devDir) : devDir_(std::move(devDir)) {}

PosixSerialPort::~PosixSerialPort() { close(); }

void PosixSerialPort::ioFailure(const std::string& operation, int err) {
    if (deviceVanished(err)) gone_ = true;
    fail(kSerialOpenFailed, explainTtyError(tty_.path(), operation, err));
}

int PosixSerialPort::fail(int code, std::string why) {
    lastError_ = std::move(why);
    return code;
}

void PosixSerialPort::setPortNumber(int number) {
    portNumber_ = number;
    devicePath_.clear();
}

void PosixSerialPort::setDevicePath(const std::string& path) {
    devicePath_ = path;
    portNumber_.reset();
}

int PosixSerialPort::setSettings(std::string_view settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) {
        return fail(kSerialInvalidSettings, "Paramètres de port série illisibles : \"" + std::string(settings) + "\"");
    }
    if (tty_.isOpen()) {
        if (const int err = tty_.configure(*parsed); err != 0) {
            return fail(kSerialInvalidSettings, explainTtyError(tty_.path(), "configuration", err));
        }
    }
    settings_ = *parsed;
    return kSerialOk;
}

std::optional<std::string> PosixSerialPort::resolvePath() {
    if (!devicePath_.empty()) return devicePath_;
    if (!portNumber_) {
        fail(kSerialInvalidPort, "Aucun port série choisi");
        return std::nullopt;
    }
    const int n = *portNumber_;
    if (n < kFirstPortNumber || n > kLastPortNumber) {
        fail(kSerialInvalidPort, "Numéro de port Com" + std::to_string(n) + " invalide (1 à 25)");
        return std::nullopt;
    }
    auto path = serialDeviceForPort(n, devDir_);
    if (!path) {
        fail(kSerialInvalidPort,
             "Aucun port série ne correspond à Com" + std::to_string(n) + " : l'adaptateur est-il branché ?");
    }
    return path;
}

int PosixSerialPort::open() {
    if (tty_.isOpen()) return fail(kSerialPortAlreadyOpen, "Le port " + tty_.path() + " est déjà ouvert");
    const auto path = resolvePath();
    if (!path) return kSerialInvalidPort;

    if (const int err = tty_.open(*path); err != 0) {
        if (err == ENOENT || err == ENODEV || err == ENXIO) {
            return fail(kSerialInvalidPort, explainTtyOpenError(*path, err));
        }
        // EBUSY: another program holds it with TIOCEXCL.
        const int code = err == EBUSY ? kSerialPortAlreadyOpen : kSerialOpenFailed;
        return fail(code, explainTtyOpenError(*path, err));
    }
    if (const int err = tty_.lockExclusive(); err != 0) {
        tty_.close();
        if (err == EWOULDBLOCK) return fail(kSerialPortAlreadyOpen, explainTtyOpenError(*path, EBUSY));
        return fail(kSerialOpenFailed, explainTtyOpenError(*path, err));
    }
    if (const int err = tty_.configure(settings_); err != 0) {
        tty_.close();
        return fail(kSerialOpenFailed, explainTtyError(*path, "configuration", err));
    }
    tty_.flush();
    lastError_.clear();
    gone_ = false;
    return kSerialOk;
}

void PosixSerialPort::close() { tty_.close(); }

bool PosixSerialPort::output(std::string_view data) {
    if (!tty_.isOpen()) {
        fail(kSerialOpenFailed, "Le port série n'est pas ouvert");
        return false;
    }
    if (const int err = tty_.writeAll(data.data(), data.size(), kOutputTimeout); err != 0) {
        ioFailure("écriture", err);
        return false;
    }
    return true;
}

std::size_t PosixSerialPort::inputCount() {
    std::size_t count = 0;
    if (!tty_.isOpen()) return 0;
    if (const int err = tty_.bytesWaiting(count); err != 0) {
        ioFailure("lecture", err);
        return 0;
    }
    if (count == 0) noticeHangUp();
    return count;
}

void PosixSerialPort::noticeHangUp() {
    // A closed pseudo-terminal or an unplugged adapter still answers "nothing
    // waiting"; only a hang-up tells.
    if (gone_ || !tty_.hungUp()) return;
    gone_ = true;
    fail(kSerialOpenFailed, "Le port " + tty_.path() + " a été déconnecté");
}

std::string PosixSerialPort::input() {
    if (!tty_.isOpen()) return {};
    std::vector<std::uint8_t> bytes;
    if (const int err = tty_.readAvailable(bytes, kMaxInput); err != 0) {
        ioFailure("lecture", err);
    } else if (bytes.empty()) {
        noticeHangUp();
    }
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace dravio::ports
