// ports: what to tell the user when a device cannot be used, worded so that
// they can fix it themselves (group membership, udev rule), never "run as root".
#pragma once

#include <string>

namespace dravio::ports {

// Where the udev rule that gives users access to FTDI cables is shipped.
inline constexpr const char* kFtdiUdevRule = "packaging/udev/99-dravio-ftdi.rules";

// Why opening the tty at `path` failed with errno `err`: the dialout group for
// EACCES/EPERM, a missing device, a device held by another program.
std::string explainTtyOpenError(const std::string& path, int err);

// A tty operation other than open failed with errno `err`.
std::string explainTtyError(const std::string& path, const std::string& operation, int err);

// errno values that mean the device itself went away (unplugged USB adapter,
// closed pseudo-terminal), not that one operation failed.
bool deviceVanished(int err);

// The user may not open the FTDI cable `description` through libusb.
std::string explainFtdiAccessDenied(const std::string& description);

}  // namespace dravio::ports
