#include "ports/ftdi_cable.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "ports/device_errors.h"

namespace dravio::ports {
namespace {

constexpr int kFtdiVendor = 0x0403;
// The chip sends what it has every latency period; 1 ms instead of the default
// 16 ms so that a short ECU answer is not held back.
constexpr unsigned char kLatencyMs = 1;
// Bounds how long close() waits for a reader stuck on an unresponsive chip.
constexpr int kReadTimeoutMs = 200;
// A K-line exchange is a few hundred bytes; more than this unread is a fault.
constexpr std::size_t kMaxQueued = 64 * 1024;

struct ContextDeleter {
    void operator()(ftdi_context* ctx) const { ftdi_free(ctx); }
};
using ContextPtr = std::unique_ptr<ftdi_context, ContextDeleter>;

constexpr const char* kNoUsb = "Accès USB impossible : libusb ne démarre pas";

std::string usbText(int code) { return libusb_error_name(code); }

}  // namespace

// What one look at the bus found.
struct FtdiCable::Listing {
    struct Device {
        libusb_device* dev = nullptr;  // referenced until the listing goes
        std::string description;
        int openError = 0;             // libusb error when the strings could not be read
    };
    std::vector<Device> devices;

    Listing() = default;
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    ~Listing() {
        for (auto& d : devices) libusb_unref_device(d.dev);
    }
};

// Holds the reader out of libftdi for the lifetime of the object. The reader
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

FtdiCable::~FtdiCable() { close(); }

int FtdiCable::fail(int status, std::string why) {
    lastError_ = std::move(why);
    return status;
}

int FtdiCable::notOpen() { return fail(kCableInvalidHandle, "Le câble FTDI n'est pas ouvert"); }

int FtdiCable::list(ftdi_context* ctx, Listing& listing) {
    libusb_device** all = nullptr;
    const ssize_t n = libusb_get_device_list(ctx->usb_ctx, &all);
    if (n < 0) {
        return fail(kCableIoError,
                    "Liste des périphériques USB illisible : " + usbText(static_cast<int>(n)));
    }
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(all[i], &desc) != 0 || desc.idVendor != kFtdiVendor) continue;
        Listing::Device found;
        found.dev = libusb_ref_device(all[i]);
        libusb_device_handle* handle = nullptr;
        found.openError = libusb_open(all[i], &handle);
        if (found.openError == 0) {
            unsigned char text[256] = {};
            const int len = desc.iProduct == 0
                                ? 0
                                : libusb_get_string_descriptor_ascii(handle, desc.iProduct, text,
                                                                     sizeof text - 1);
            // The string comes from the device: trust only the length, bounded.
            if (len > 0) {
                found.description.assign(reinterpret_cast<const char*>(text),
                                         std::min(static_cast<std::size_t>(len), sizeof text - 1));
            }
            libusb_close(handle);
        }
        listing.devices.push_back(std::move(found));
    }
    libusb_free_device_list(all, 1);
    return kCableOk;
}

int FtdiCable::deviceCount(std::uint32_t& count) {
    count = 0;
    ContextPtr scratch(ftdi_new());
    if (!scratch) return fail(kCableInsufficientResources, kNoUsb);
    Listing listing;  // released before the context it came from
    if (const int status = list(scratch.get(), listing); status != kCableOk) return status;
    count = static_cast<std::uint32_t>(listing.devices.size());
    return kCableOk;
}

int FtdiCable::deviceDescription(std::uint32_t index, std::string& description) {
    ContextPtr scratch(ftdi_new());
    if (!scratch) return fail(kCableInsufficientResources, kNoUsb);
    Listing listing;
    if (const int status = list(scratch.get(), listing); status != kCableOk) return status;
    if (index >= listing.devices.size()) {
        return fail(kCableDeviceNotFound, "Aucun câble FTDI n°" + std::to_string(index + 1));
    }
    const auto& d = listing.devices[index];
    if (d.openError == LIBUSB_ERROR_ACCESS) {
        return fail(kCableDeviceNotOpened, explainFtdiAccessDenied("n°" + std::to_string(index + 1)));
    }
    if (d.openError != 0) {
        return fail(kCableDeviceNotOpened, "Câble FTDI n°" + std::to_string(index + 1) +
                                               " illisible : " + usbText(d.openError));
    }
    description = d.description;
    return kCableOk;
}

int FtdiCable::open(const std::string& description) {
    if (ctx_) return fail(kCableOtherError, "Le câble FTDI est déjà ouvert");

    ContextPtr ctx(ftdi_new());
    if (!ctx) return fail(kCableInsufficientResources, kNoUsb);
    // List through the session's own libusb context: the device we open must
    // belong to the context we keep.
    Listing listing;
    if (const int status = list(ctx.get(), listing); status != kCableOk) return status;

    const auto match = std::find_if(listing.devices.begin(), listing.devices.end(),
                                    [&](const auto& d) { return d.openError == 0 && d.description == description; });
    if (match == listing.devices.end()) {
        const bool denied = std::any_of(listing.devices.begin(), listing.devices.end(),
                                        [](const auto& d) { return d.openError == LIBUSB_ERROR_ACCESS; });
        if (denied) return fail(kCableDeviceNotOpened, explainFtdiAccessDenied(description));
        return fail(kCableDeviceNotFound,
                    "Câble FTDI \"" + description + "\" introuvable : vérifiez qu'il est branché");
    }

    const int rc = ftdi_usb_open_dev(ctx.get(), match->dev);
    if (rc != 0) {
        // -4: libusb_open refused; -8: the kernel driver could not be detached.
        if (rc == -4 || rc == -8) return fail(kCableDeviceNotOpened, explainFtdiAccessDenied(description));
        if (rc == -5) {
            return fail(kCableDeviceNotOpened,
                        "Câble FTDI \"" + description + "\" occupé par un autre programme");
        }
        return fail(kCableDeviceNotOpened, "Ouverture du câble FTDI \"" + description +
                                               "\" impossible : " + ftdi_get_error_string(ctx.get()));
    }
    if (ftdi_set_latency_timer(ctx.get(), kLatencyMs) != 0) {
        const std::string why = ftdi_get_error_string(ctx.get());
        ftdi_usb_close(ctx.get());
        return fail(kCableIoError, "Réglage du câble FTDI impossible : " + why);
    }
    ctx->usb_read_timeout = kReadTimeoutMs;

    {
        std::lock_guard<std::mutex> q(queueMutex_);
        queue_.clear();
        lost_ = false;
        readerError_.clear();
    }
    ctx_ = ctx.release();
    description_ = description;
    breakActive_ = false;
    lastError_.clear();
    running_ = true;
    reader_ = std::thread([this] { readerLoop(); });
    return kCableOk;
}

void FtdiCable::readerLoop() {
    unsigned char chunk[512];
    while (running_) {
        std::unique_lock<std::mutex> usb(usbMutex_);
        usbTurn_.wait(usb, [this] { return controlWaiting_ == 0 || !running_; });
        if (!running_) break;
        // Returns after one latency period when the chip has nothing.
        const int n = ftdi_read_data(ctx_, chunk, static_cast<int>(sizeof chunk));
        if (n > 0) {
            std::lock_guard<std::mutex> q(queueMutex_);
            const std::size_t room = kMaxQueued - std::min(kMaxQueued, queue_.size());
            const std::size_t take = std::min(room, static_cast<std::size_t>(n));
            queue_.insert(queue_.end(), chunk, chunk + take);
            if (take < static_cast<std::size_t>(n)) readerError_ = "Données reçues perdues : file pleine";
            queueChanged_.notify_all();
        }
        usb.unlock();
        if (n >= 0 || n == LIBUSB_ERROR_TIMEOUT) continue;

        if (n == LIBUSB_ERROR_NO_DEVICE || n == -666) {
            std::lock_guard<std::mutex> q(queueMutex_);
            lost_ = true;
            readerError_ = "Câble FTDI \"" + description_ + "\" débranché";
            queueChanged_.notify_all();
            return;
        }
        {
            std::lock_guard<std::mutex> q(queueMutex_);
            readerError_ = "Lecture du câble FTDI en erreur : " + usbText(n);
        }
        // Do not spin on a chip that keeps failing.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
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
    if (!ctx_) return notOpen();
    ReaderPause pause(*this);
    if (ftdi_usb_reset(ctx_) != 0) return fail(kCableIoError, "Réinitialisation du câble FTDI impossible");
    breakActive_ = false;
    return kCableOk;
}

int FtdiCable::purge() {
    if (!ctx_) return notOpen();
    // With the reader held, nothing read before the flush can reach the queue after it.
    ReaderPause pause(*this);
    const int rc = ftdi_tcioflush(ctx_);
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        queue_.clear();
    }
    if (rc != 0) return fail(kCableIoError, "Purge du câble FTDI impossible");
    return kCableOk;
}

int FtdiCable::setBaudRate(std::uint32_t baud) {
    if (!ctx_) return notOpen();
    if (baud == 0 || baud > 12'000'000) {
        return fail(kCableInvalidBaudRate, "Vitesse de " + std::to_string(baud) + " bauds invalide");
    }
    const int rc = ftdi_set_baudrate(ctx_, static_cast<int>(baud));
    if (rc == -1) {
        return fail(kCableInvalidBaudRate,
                    "Vitesse de " + std::to_string(baud) + " bauds impossible sur ce câble");
    }
    if (rc != 0) return fail(kCableIoError, "Réglage de la vitesse du câble FTDI impossible");
    return kCableOk;
}

int FtdiCable::setLine(bool breakActive) {
    const int rc = ftdi_set_line_property2(ctx_, BITS_8, STOP_BIT_1, NONE,
                                           breakActive ? BREAK_ON : BREAK_OFF);
    if (rc != 0) return fail(kCableIoError, "Réglage de la ligne du câble FTDI impossible");
    breakActive_ = breakActive;
    return kCableOk;
}

int FtdiCable::setDataCharacteristics8N1() {
    if (!ctx_) return notOpen();
    return setLine(breakActive_);
}

int FtdiCable::write(std::uint8_t byte) {
    if (!ctx_) return notOpen();
    const int rc = ftdi_write_data(ctx_, &byte, 1);
    if (rc == 1) return kCableOk;
    if (const int status = readerStatus(); status != kCableOk) return status;
    return fail(kCableIoError, "Écriture vers le câble FTDI impossible : " + usbText(rc < 0 ? rc : LIBUSB_ERROR_IO));
}

int FtdiCable::queueStatus(std::uint32_t& count) {
    count = 0;
    if (!ctx_) return notOpen();
    {
        std::lock_guard<std::mutex> q(queueMutex_);
        count = static_cast<std::uint32_t>(queue_.size());
    }
    return readerStatus();
}

int FtdiCable::read(std::uint32_t count, std::vector<std::uint8_t>& out) {
    if (!ctx_) return notOpen();
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
    if (!ctx_) return notOpen();
    return setLine(true);
}

int FtdiCable::breakOff() {
    if (!ctx_) return notOpen();
    return setLine(false);
}

int FtdiCable::close() {
    if (!ctx_) return kCableOk;
    running_ = false;
    usbTurn_.notify_all();
    if (reader_.joinable()) reader_.join();
    if (breakActive_) ftdi_set_line_property2(ctx_, BITS_8, STOP_BIT_1, NONE, BREAK_OFF);
    ftdi_usb_close(ctx_);
    ftdi_free(ctx_);
    ctx_ = nullptr;
    breakActive_ = false;
    std::lock_guard<std::mutex> q(queueMutex_);
    queue_.clear();
    return kCableOk;
}

std::uint32_t FtdiCable::waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) {
    if (!ctx_) return 0;
    std::unique_lock<std::mutex> q(queueMutex_);
    queueChanged_.wait_until(q, deadline, [&] { return queue_.size() >= count || lost_; });
    return static_cast<std::uint32_t>(queue_.size());
}

}  // namespace dravio::ports
