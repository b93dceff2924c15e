// ports: finding and opening FTDI chips through libftdi1 and libusb.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/ftdi_chip.h"

namespace dravio::ports {

struct FtdiDeviceInfo {
    std::string description;  // the USB product string
    int openError = 0;        // libusb error when it could not be read (0: read)
    bool accessDenied = false;
};

struct FtdiListing {
    bool usbAvailable = true;
    std::string error;  // why the bus could not be listed
    std::vector<FtdiDeviceInfo> devices;
};

// Every device with the FTDI vendor id, whatever its product id: K-line cables
// often carry their own.
FtdiListing listFtdiDevices();

enum class FtdiOpenFailure { None, NoUsb, NotFound, AccessDenied, Busy, Other };

struct FtdiOpenResult {
    std::unique_ptr<FtdiChip> chip;
    FtdiOpenFailure failure = FtdiOpenFailure::None;
    std::string detail;  // the library's words, for the Other case
};

// Opens the first device whose product string is `description`, with a 1 ms
// latency timer so that short answers are not held back.
FtdiOpenResult openFtdiChip(const std::string& description);

}  // namespace dravio::ports
