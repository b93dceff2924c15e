#include "link/framing.h"

#include "base/hex.h"

namespace dravio::link {

bool isKwpModel(int typeEcu) { return typeEcu == 4 || typeEcu == 5; }

bool isOneByteModel(int typeEcu) { return typeEcu >= 0 && typeEcu <= 3; }

std::string frameRequest(std::string_view requete, int typeEcu, std::string_view enteteRequete) {
    std::string line;
    // "00" is the listen-only request in both families.
    if (requete == "00") return line;
    if (isOneByteModel(typeEcu)) {
        line = requete;
    } else if (isKwpModel(typeEcu) && !requete.empty()) {
        // Format byte: 0x80 plus the number of service bytes.
        const auto serviceBytes = static_cast<int>(requete.size() / 2);
        line = base::ByteToHex(0x80 + serviceBytes);
        line += enteteRequete;
        line += requete;
        line += base::CalculChecksum(line);
    }
    if (line == "00") line.clear();
    return line;
}

}  // namespace dravio::link
