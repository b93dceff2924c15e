// app: argument reading for dravio-cli. A bad argument is a one-line error and
// exit status 2.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dravio::app {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Options and words left after the options, in the order given.
class CliArgs {
public:
    CliArgs(int argc, char** argv);

    // Removes "--name VALUE" (or "--name=VALUE") and returns VALUE.
    std::optional<std::string> takeOption(const std::string& name);
    // Removes and returns the first word that is neither an option nor the value
    // of one of `valueOptions` ("--ecu 4 frame 81" gives "frame"); "" when none.
    std::string takeCommand(const std::vector<std::string>& valueOptions);
    // Removes "--name" and tells whether it was there.
    bool takeFlag(const std::string& name);
    // The remaining words; an unknown "--option" left among them is a usage error.
    std::vector<std::string> positionals() const;

private:
    std::vector<std::string> words_;
};

int parseInt(const std::string& text, const std::string& what);

}  // namespace dravio::app
