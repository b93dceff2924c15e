#include "ports/libftdi_chip.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>

namespace dravio::ports {
namespace {

constexpr int kFtdiVendor = 0x0403;
// The chip sends what it has every latency period; 1 ms instead of the default
// 16 ms so that a short ECU answer is not held back.
constexpr unsigned char kLatencyMs = 1;
// Bounds how long closing waits for a read stuck on an unresponsive chip.
constexpr int kReadTimeoutMs = 200;
// libftdi's own code for "the device went away".
constexpr int kFtdiDeviceUnavailable = -666;

struct ContextDeleter {
    void operator()(ftdi_context* ctx) const { ftdi_free(ctx); }
};
using ContextPtr = std::unique_ptr<ftdi_context, ContextDeleter>;

// Devices found on one look at the bus, referenced until this goes.
struct Found {
    libusb_device* dev = nullptr;
    FtdiDeviceInfo info;
};

class FoundList {
public:
    FoundList() = default;
    FoundList(const FoundList&) = delete;
    FoundList& operator=(const FoundList&) = delete;
    ~FoundList() {
        for (auto& f : items) libusb_unref_device(f.dev);
    }
    std::vector<Found> items;
};

// Returns 0 or a libusb error.
int scan(libusb_context* usb, FoundList& found) {
    libusb_device** all = nullptr;
    const ssize_t n = libusb_get_device_list(usb, &all);
    if (n < 0) return static_cast<int>(n);
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(all[i], &desc) != 0 || desc.idVendor != kFtdiVendor) continue;
        Found f;
        f.dev = libusb_ref_device(all[i]);
        libusb_device_handle* handle = nullptr;
        f.info.openError = libusb_open(all[i], &handle);
        f.info.accessDenied = f.info.openError == LIBUSB_ERROR_ACCESS;
        if (f.info.openError == 0) {
            unsigned char text[256] = {};
            const int len = desc.iProduct == 0
                                ? 0
                                : libusb_get_string_descriptor_ascii(handle, desc.iProduct, text, sizeof text - 1);
            // The string comes from the device: trust only the length, bounded.
            if (len > 0) {
                f.info.description.assign(reinterpret_cast<const char*>(text),
                                          std::min(static_cast<std::size_t>(len), sizeof text - 1));
            }
            libusb_close(handle);
        }
        found.items.push_back(std::move(f));
    }
    libusb_free_device_list(all, 1);
    return 0;
}

class LibFtdiChip final : public FtdiChip {
public:
    explicit LibFtdiChip(ContextPtr ctx) : ctx_(std::move(ctx)) {}
    ~LibFtdiChip() override { ftdi_usb_close(ctx_.get()); }

    int read(std::uint8_t* buffer, int size) override {
        const int n = ftdi_read_data(ctx_.get(), buffer, size);
        if (n == LIBUSB_ERROR_TIMEOUT) return 0;
        if (n == LIBUSB_ERROR_NO_DEVICE || n == kFtdiDeviceUnavailable) return kGone;
        return n;
    }
    int write(std::uint8_t byte) override {
        const int n = ftdi_write_data(ctx_.get(), &byte, 1);
        if (n == 1) return 0;
        if (n == LIBUSB_ERROR_NO_DEVICE || n == kFtdiDeviceUnavailable) return kGone;
        return n < 0 ? n : LIBUSB_ERROR_IO;
    }
    int setBaudRate(std::uint32_t baud) override {
        const int rc = ftdi_set_baudrate(ctx_.get(), static_cast<int>(baud));
        return rc == -1 ? kBadBaud : rc;
    }
    int setLine(bool breakOn) override {
        return ftdi_set_line_property2(ctx_.get(), BITS_8, STOP_BIT_1, NONE, breakOn ? BREAK_ON : BREAK_OFF);
    }
    int flush() override { return ftdi_tcioflush(ctx_.get()); }
    int reset() override { return ftdi_usb_reset(ctx_.get()); }

    std::string describe(int error) const override {
        if (error == kGone) return "câble débranché";
        if (error == kBadBaud) return "vitesse impossible";
        // Reads and writes fail with libusb's codes.
        return libusb_error_name(error);
    }

private:
    ContextPtr ctx_;
};

}  // namespace

FtdiListing listFtdiDevices() {
    FtdiListing listing;
    ContextPtr ctx(ftdi_new());
    if (!ctx) {
        listing.usbAvailable = false;
        listing.error = "libusb ne démarre pas";
        return listing;
    }
    FoundList found;  // released before the context it came from
    if (const int rc = scan(ctx->usb_ctx, found); rc != 0) {
        listing.usbAvailable = false;
        listing.error = libusb_error_name(rc);
        return listing;
    }
    for (const auto& f : found.items) listing.devices.push_back(f.info);
    return listing;
}

FtdiOpenResult openFtdiChip(const std::string& description) {
    FtdiOpenResult result;
    ContextPtr ctx(ftdi_new());
    if (!ctx) {
        result.failure = FtdiOpenFailure::NoUsb;
        return result;
    }
    // The device must come from the context that will keep it open.
    FoundList found;
    if (scan(ctx->usb_ctx, found) != 0) {
        result.failure = FtdiOpenFailure::NoUsb;
        return result;
    }
    const auto match = std::find_if(found.items.begin(), found.items.end(), [&](const Found& f) {
        return f.info.openError == 0 && f.info.description == description;
    });
    if (match == found.items.end()) {
        // A cable we may not read could well be the one asked for.
        const bool denied =
            std::any_of(found.items.begin(), found.items.end(), [](const Found& f) { return f.info.accessDenied; });
        result.failure = denied ? FtdiOpenFailure::AccessDenied : FtdiOpenFailure::NotFound;
        return result;
    }

    // The kernel's serial driver comes back when the cable is closed, so that
    // other programs (and our own tty path) find /dev/ttyUSBn again.
    ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    const int rc = ftdi_usb_open_dev(ctx.get(), match->dev);
    if (rc != 0) {
        // -4: libusb_open refused; -8: the kernel's driver could not be detached;
        // -5: the interface is claimed by another program.
        result.failure = (rc == -4 || rc == -8) ? FtdiOpenFailure::AccessDenied
                         : rc == -5             ? FtdiOpenFailure::Busy
                                                : FtdiOpenFailure::Other;
        result.detail = ftdi_get_error_string(ctx.get());
        return result;
    }
    if (ftdi_set_latency_timer(ctx.get(), kLatencyMs) != 0) {
        result.failure = FtdiOpenFailure::Other;
        result.detail = ftdi_get_error_string(ctx.get());
        ftdi_usb_close(ctx.get());
        return result;
    }
    ctx->usb_read_timeout = kReadTimeoutMs;
    result.chip = std::make_unique<LibFtdiChip>(std::move(ctx));
    return result;
}

}  // namespace dravio::ports
