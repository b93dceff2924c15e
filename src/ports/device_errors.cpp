#include "ports/device_errors.h"

#include <cerrno>
#include <cstring>

namespace dravio::ports {

bool deviceVanished(int err) { return err == EIO || err == ENODEV || err == ENXIO; }
namespace {

std::string systemText(int err) {
    // strerror is not thread-safe; the GNU strerror_r returns the text to use.
    char buffer[128] = {};
    return ::strerror_r(err, buffer, sizeof buffer);
}

}  // namespace

std::string explainTtyOpenError(const std::string& path, int err) {
    switch (err) {
        case EACCES:
        case EPERM:
            return "Permission refusée sur " + path +
                   " : ajoutez votre utilisateur au groupe dialout "
                   "(sudo usermod -aG dialout $USER) puis reconnectez-vous";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "Périphérique " + path + " absent : vérifiez que l'interface est branchée";
        case EBUSY:
            return "Périphérique " + path + " occupé par un autre programme";
        default:
            return "Impossible d'ouvrir " + path + " : " + systemText(err);
    }
}

std::string explainTtyError(const std::string& path, const std::string& operation, int err) {
    return "Erreur sur " + path + " (" + operation + ") : " + systemText(err);
}

std::string explainFtdiAccessDenied(const std::string& description) {
    return "Accès refusé au câble FTDI \"" + description + "\" : installez la règle udev fournie (" + kFtdiUdevRule +
           ") dans /etc/udev/rules.d/, rechargez les règles "
           "(sudo udevadm control --reload-rules && sudo udevadm trigger), "
           "ajoutez votre utilisateur au groupe plugdev si besoin, puis rebranchez le câble";
}

}  // namespace dravio::ports
