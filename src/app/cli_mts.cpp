#include "app/cli_mts.h"

#include "app/cli_args.h"
#include "proto/hex.h"
#include "display/mts_reader.h"

namespace dravio::app {

std::vector<std::string> mtsLines(const std::vector<std::string>& reads) {
    if (reads.empty()) throw UsageError("mts needs at least one HEX read");
    for (const auto& read : reads) {
        if (!proto::isHexMessage(read)) throw UsageError("'" + read + "' is not hex bytes");
    }
    display::MtsReader reader;
    std::vector<std::string> lines;
    for (const auto& read : reads) {
        reader.LectureMTS(proto::fromHex(read));
        lines.push_back(reader.afr1Text() + " " + reader.afr2Text());
    }
    return lines;
}

}  // namespace dravio::app
