#include "ports/serial_devices.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace dravio::ports {
namespace {

// The digits after `prefix`, or empty when the name is not prefix + digits.
std::string_view numberPart(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return {};
    const std::string_view digits = name.substr(prefix.size());
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return allDigits ? digits : std::string_view{};
}

// Numeric order on digit strings of any length, without converting (no overflow).
bool numericallyBefore(std::string_view a, std::string_view b) {
    const auto strip = [](std::string_view s) {
        const auto first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : s.substr(first);
    };
    const std::string_view x = strip(a);
    const std::string_view y = strip(b);
    if (x.size() != y.size()) return x.size() < y.size();
    if (x != y) return x < y;
    return a.size() < b.size();  // "01" after "1": any fixed tie-break keeps the order stable
}

}  // namespace

std::vector<std::string> listDevicesOfKind(const std::string& devDir, std::string_view prefix) {
    struct Entry {
        std::string number;
        std::string path;
    };
    std::vector<Entry> found;
    std::error_code ec;
    // A missing or unreadable directory simply has no devices.
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string_view digits = numberPart(name, prefix);
        if (!digits.empty()) found.push_back({std::string(digits), it->path().string()});
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return numericallyBefore(a.number, b.number); });
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& e : found) paths.push_back(std::move(e.path));
    return paths;
}

std::vector<std::string> listSerialDevices(const std::string& devDir) {
    static constexpr std::array<std::string_view, 4> kinds{"ttyUSB", "ttyACM", "rfcomm", "ttyS"};
    std::vector<std::string> all;
    for (const auto kind : kinds) {
        auto some = listDevicesOfKind(devDir, kind);
        all.insert(all.end(), std::make_move_iterator(some.begin()), std::make_move_iterator(some.end()));
    }
    return all;
}

std::optional<std::string> serialDeviceForPort(int number, const std::string& devDir) {
    if (number < kFirstPortNumber || number > kLastPortNumber) return std::nullopt;
    auto devices = listSerialDevices(devDir);
    const auto index = static_cast<std::size_t>(number - kFirstPortNumber);
    if (index >= devices.size()) return std::nullopt;
    return std::move(devices[index]);
}

}  // namespace dravio::ports
