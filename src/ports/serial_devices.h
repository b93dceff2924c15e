// ports: the serial devices present on this machine, in the order the user
// numbers them ("Com" 1, 2, ...).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::ports {

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 25;

// Paths of the devices under `devDir` whose name is `prefix` followed by a
// number ("ttyUSB" finds ttyUSB0, ttyUSB1, ...), in numeric order.
std::vector<std::string> listDevicesOfKind(const std::string& devDir, std::string_view prefix);

// USB adapters first (ttyUSB, ttyACM), then Bluetooth (rfcomm), then the
// built-in ports (ttyS); each group in numeric order, so ttyUSB2 precedes ttyUSB10.
std::vector<std::string> listSerialDevices(const std::string& devDir = "/dev");

// The device behind "Com" `number` (1..25): the number-th entry of
// listSerialDevices. Nothing when the number is out of range or no such device exists.
std::optional<std::string> serialDeviceForPort(int number, const std::string& devDir = "/dev");

}  // namespace dravio::ports
