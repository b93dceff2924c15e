#include "ports/ftdi_cable.h"

#include <algorithm>
#include <chrono>

#include "ports/device_errors.h"
#include "ports/libftdi_chip.h"

namespace dravio::ports {
namespace {

// A K-line exchange is a few hundred bytes; more than this unread is a fault.
constexpr std::size_t kMaxQueued = 64 * 1024;
constexpr std::uint32_t kMaxFtdiBaud = 12'000'000;

}  // namespace

// Holds the reader out of the chip for the lifetime of the object. The reader
// gives way between two reads, which last about one latency period.
class FtdiCable::ReaderPause {
public:
    explicit ReaderPause(FtdiCable& cable) : cable_(cable) {
        ++cable_.controlWaiting_;
        lock_ = std::unique_lock<std::mutex>(cable_.usbMutex_);
    }
    ~ReaderPause() {
        --cable_.controlWaiting_;
        lock_.unlock();
        cable_.usbTurn_.notify_all();
    }
    ReaderPause(const ReaderPause&) = delete;
    ReaderPause& operator=(const ReaderPause&) = delete;

private:
    FtdiCable& cable_;
    std::unique_lock<std::mutex> lock_;
};

FtdiCable::FtdiCable() = default;

FtdiCable::FtdiCable(std::unique_ptr<FtdiChip> chip, std::string description) {
    if (chip) start(std::move(chip), std::move(description));
}

FtdiCable::~FtdiCable() { close(); }

int FtdiCable::fail(int status, std::string why) {
    lastError_ = std::move(why);
    return status;
}

int FtdiCable::notOpen() { return fail(kCableInvalidHandle, "Le câble FTDI n'est pas ouvert"); }

int FtdiCable::deviceCount(std::uint32_t& count) {
    count = 0;
    const FtdiListing listing = listFtdiDevices();
    if (!listing.usbAvailable) {
        return fail(kCableIoError, "Accès USB impossible : " + listing.error);
    }
    count = static_cast<std::uint32_t>(listing.devices.size());
    return kCableOk;
}

int FtdiCable::deviceDescription(std::uint32_t index, std::string& description) {
    const FtdiListing listing = listFtdiDevices();
    if (!listing.usbAvailable) {
        return fail(kCableIoError, "Accès USB impossible : " + listing.error);
    }
    const std::string which = "n°" + std::to_string(index + 1);
    if (index >= listing.devices.size()) {
        return fail(kCableDeviceNotFound, "Aucun câble FTDI " + which);
    }
    const FtdiDeviceInfo& device = listing.devices[index];
    if (device.accessDenied) return fail(kCableDeviceNotOpened, explainFtdiAccessDenied(which));
    if (device.openError != 0) {
        return fail(kCableDeviceNotOpened,
                    "Câble FTDI " + which + " illisible (erreur USB " + std::to_string(device.openError) + ")");
    }
    description = device.description;
    return kCableOk;
}

int FtdiCable::open(const std::string& description) {
    if (chip_) return fail(kCableOtherError, "Le câble FTDI est déjà ouvert");
    FtdiOpenResult opened = openFtdiChip(description);
    const std::string quoted = "\"" + description + "\"";
    switch (opened.failure) {
        case FtdiOpenFailure::None:
            break;
        case FtdiOpenFailure::NoUsb:
            return fail(kCableDeviceNotOpened, "Accès USB impossible : libusb ne démarre pas");
        case FtdiOpenFailure::NotFound:
            return fail(kCableDeviceNotFound, "Câble FTDI " + quoted + " introuvable : vérifiez qu'il est branché");
        case FtdiOpenFailure::AccessDenied:
            return fail(kCableDeviceNotOpened, explainFtdiAccessDenied(description));
        case FtdiOpenFailure::Busy:
            return fail(kCableDeviceNotOpened, "Câble FTDI " + quoted + " occupé par un autre programme");
        case FtdiOpenFailure::Other:
            return fail(kCableDeviceNotOpened, "Ouverture du câble FTDI " + quoted + " impossible : " + opened.detail);
    }
    lastError_.clear();
    start(std::move(opened.chip), description);
    return kCableOk;
}

void FtdiCable::start(std::unique_ptr<FtdiChip> chip, std::string description) {
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        queue_.clear();
        lost_ = false;
        readerError_.clear();
    }
    chip_ = std::move(chip);
    description_ = std::move(description);
    breakActive_ = false;
    running_ = true;
    reader_ = std::thread([this] { readerLoop(); });
}

void FtdiCable::readerLoop() {
    std::uint8_t chunk[512];
    while (running_) {
        std::unique_lock<std::mutex> usb(usbMutex_);
        usbTurn_.wait(usb, [this] { return controlWaiting_ == 0 || !running_; });
        if (!running_) break;
        const int n = chip_->read(chunk, static_cast<int>(sizeof chunk));
        if (n > 0) {
            // Never trust the count beyond the buffer it was read into.
            const auto got = std::min(static_cast<std::size_t>(n), sizeof chunk);
            std::lock_guard<std::mutex> q(queueMutex_);
            const std::size_t take = std::min(got, kMaxQueued - std::min(kMaxQueued, queue_.size()));
            queue_.insert(queue_.end(), chunk, chunk + take);
            if (take < got) readerError_ = "Données reçues perdues : file pleine";
            queueChanged_.notify_all();
        }
        usb.unlock();
        if (n >= 0) continue;

        std::unique_lock<std::mutex> q(queueMutex_);
        if (n == FtdiChip::kGone) {
            lost_ = true;
            readerError_ = "Câble FTDI \"" + description_ + "\" débranché";
            queueChanged_.notify_all();
            return;
        }
        readerError_ = "Lecture du câble FTDI en erreur : " + chip_->describe(n);
        // Do not spin on a chip that keeps failing; close() wakes this early.
        queueChanged_.wait_for(q, std::chrono::milliseconds(10), [this] { return !running_; });
    }
}

bool FtdiCable::gone() const {
    std::lock_guard<std::mutex> q(queueMutex_);
    return lost_;
}

int FtdiCable::readerStatus() {
    std::string why;
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        if (!lost_) return kCableOk;
        why = readerError_;
    }
    return fail(kCableIoError, std::move(why));
}

int FtdiCable::reset() {
    if (!chip_) return notOpen();
    ReaderPause pause(*this);
    if (const int rc = chip_->reset(); rc != 0) {
        return fail(kCableIoError, "Réinitialisation du câble FTDI impossible (code " + std::to_string(rc) + ")");
    }
    breakActive_ = false;
    std::lock_guard<std::mutex> q(queueMutex_);
    queue_.clear();
    return kCableOk;
}

int FtdiCable::purge() {
    if (!chip_) return notOpen();
    // With the reader held, nothing read before the flush can reach the queue after it.
    ReaderPause pause(*this);
    const int rc = chip_->flush();
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        queue_.clear();
    }
    if (rc != 0) {
        return fail(kCableIoError, "Purge du câble FTDI impossible (code " + std::to_string(rc) + ")");
    }
    return kCableOk;
}

int FtdiCable::setBaudRate(std::uint32_t baud) {
    if (!chip_) return notOpen();
    if (baud == 0 || baud > kMaxFtdiBaud) {
        return fail(kCableInvalidBaudRate, "Vitesse de " + std::to_string(baud) + " bauds invalide");
    }
    const int rc = chip_->setBaudRate(baud);
    if (rc == FtdiChip::kBadBaud) {
        return fail(kCableInvalidBaudRate, "Vitesse de " + std::to_string(baud) + " bauds impossible sur ce câble");
    }
    if (rc != 0) {
        return fail(kCableIoError, "Réglage de la vitesse du câble FTDI impossible (code " + std::to_string(rc) + ")");
    }
    return kCableOk;
}

int FtdiCable::setLine(bool breakActive) {
    if (const int rc = chip_->setLine(breakActive); rc != 0) {
        return fail(kCableIoError, "Réglage de la ligne du câble FTDI impossible (code " + std::to_string(rc) + ")");
    }
    breakActive_ = breakActive;
    return kCableOk;
}

int FtdiCable::setDataCharacteristics8N1() {
    if (!chip_) return notOpen();
    return setLine(breakActive_);
}

int FtdiCable::write(std::uint8_t byte) {
    if (!chip_) return notOpen();
    const int rc = chip_->write(byte);
    if (rc == 0) return kCableOk;
    if (const int status = readerStatus(); status != kCableOk) return status;
    return fail(kCableIoError, "Écriture vers le câble FTDI impossible : " + chip_->describe(rc));
}

int FtdiCable::queueStatus(std::uint32_t& count) {
    count = 0;
    if (!chip_) return notOpen();
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        count = static_cast<std::uint32_t>(queue_.size());
    }
    return readerStatus();
}

int FtdiCable::read(std::uint32_t count, std::vector<std::uint8_t>& out) {
    if (!chip_) return notOpen();
    std::size_t taken = 0;
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        taken = std::min<std::size_t>(count, queue_.size());
        const auto end = queue_.begin() + static_cast<std::ptrdiff_t>(taken);
        out.insert(out.end(), queue_.begin(), end);
        queue_.erase(queue_.begin(), end);
    }
    return taken > 0 ? kCableOk : readerStatus();
}

int FtdiCable::breakOn() {
    if (!chip_) return notOpen();
    return setLine(true);
}

int FtdiCable::breakOff() {
    if (!chip_) return notOpen();
    return setLine(false);
}

int FtdiCable::close() {
    if (!chip_) return kCableOk;
    {
        // Under both locks, so the reader cannot miss the stop between its check
        // and either of its waits.
        std::lock_guard<std::mutex> usb(usbMutex_);
        std::lock_guard<std::mutex> q(queueMutex_);
        running_ = false;
    }
    usbTurn_.notify_all();
    queueChanged_.notify_all();
    if (reader_.joinable()) reader_.join();
    if (breakActive_) chip_->setLine(false);  // never leave the K-line held low
    chip_.reset();
    breakActive_ = false;
    std::lock_guard<std::mutex> q(queueMutex_);
    queue_.clear();
    return kCableOk;
}

std::uint32_t FtdiCable::waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) {
    if (!chip_) return 0;
    std::unique_lock<std::mutex> q(queueMutex_);
    queueChanged_.wait_until(q, deadline, [&] { return queue_.size() >= count || lost_; });
    return static_cast<std::uint32_t>(queue_.size());
}

}  // namespace dravio::ports
