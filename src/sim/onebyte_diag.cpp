#include "sim/onebyte_diag.h"

#include <array>

namespace dravio::sim {

namespace {

// Command bytes in DiagTest order.
constexpr std::array<std::uint8_t, kDiagTestCount> kMM16Commands{0x84, 0x86, 0x80, 0x82, 0x83, 0x81, 0x87};
constexpr std::array<std::uint8_t, kDiagTestCount> k15MCommands{0x83, 0x85, 0x80, 0x81, 0x82, 0x86, 0x87};

const std::array<std::uint8_t, kDiagTestCount>* commandsOf(OneByteVariant variant) {
    switch (variant) {
        case OneByteVariant::MM16:
            return &kMM16Commands;
        case OneByteVariant::MM15:
        case OneByteVariant::RC15:
            return &k15MCommands;
        case OneByteVariant::P8:
            return nullptr;
    }
    return nullptr;
}

}  // namespace

std::optional<std::uint8_t> diagCommand(OneByteVariant variant, DiagTest test) {
    const auto* table = commandsOf(variant);
    const auto index = static_cast<std::size_t>(test);
    if (table == nullptr || index >= table->size()) return std::nullopt;
    return (*table)[index];
}

std::optional<DiagTest> diagTestOf(OneByteVariant variant, std::uint8_t command) {
    const auto* table = commandsOf(variant);
    if (table == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < table->size(); ++i) {
        if ((*table)[i] == command) return static_cast<DiagTest>(i);
    }
    return std::nullopt;
}

std::string_view diagTestName(DiagTest test) {
    switch (test) {
        case DiagTest::ClearMemory:
            return "memory clearing";
        case DiagTest::RevCounter:
            return "rev counter";
        case DiagTest::FuelPump:
            return "fuel pump";
        case DiagTest::CoilHorizontal:
            return "horizontal coil";
        case DiagTest::CoilVertical:
            return "vertical coil";
        case DiagTest::Injector1:
            return "injector 1";
        case DiagTest::Injector2:
            return "injector 2";
    }
    return "";
}

bool hasTrimmerAdjust(OneByteVariant variant) {
    return variant == OneByteVariant::MM15 || variant == OneByteVariant::RC15;
}

}  // namespace dravio::sim
