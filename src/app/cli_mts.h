// app: "dravio-cli mts", the MTS stream reader fed from the command line: each
// argument is one read of the port, and after each the two AFR channels as the
// AFR window shows them.
#pragma once

#include <string>
#include <vector>

namespace dravio::app {

// The output lines; a UsageError when an argument is not hex bytes or none is given.
std::vector<std::string> mtsLines(const std::vector<std::string>& reads);

}  // namespace dravio::app
