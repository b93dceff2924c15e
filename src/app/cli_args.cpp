#include "app/cli_args.h"

#include <algorithm>
#include <charconv>

namespace dravio::app {

CliArgs::CliArgs(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) words_.emplace_back(argv[i]);
}

namespace {
bool isFlag(const std::string& word, const std::string& flag) {
    return word == flag || word.rfind(flag + "=", 0) == 0;
}
}  // namespace

std::optional<std::string> CliArgs::takeOption(const std::string& name) {
    const std::string flag = "--" + name;
    if (std::count_if(words_.begin(), words_.end(), [&](const auto& w) { return isFlag(w, flag); }) > 1) {
        throw UsageError(flag + " given more than once");
    }
    for (std::size_t i = 0; i < words_.size(); ++i) {
        if (words_[i] == flag) {
            if (i + 1 >= words_.size()) throw UsageError(flag + " needs a value");
            std::string value = words_[i + 1];
            words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i), words_.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return value;
        }
        if (words_[i].rfind(flag + "=", 0) == 0) {
            std::string value = words_[i].substr(flag.size() + 1);
            words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i));
            return value;
        }
    }
    return std::nullopt;
}

std::string CliArgs::takeCommand(const std::vector<std::string>& valueOptions) {
    for (std::size_t i = 0; i < words_.size(); ++i) {
        const auto& word = words_[i];
        if (word.rfind("--", 0) == 0) {
            const auto name = word.substr(2);
            for (const auto& option : valueOptions) {
                if (name == option) ++i;  // skip its value
            }
            continue;
        }
        std::string command = word;
        words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i));
        return command;
    }
    return {};
}

bool CliArgs::takeFlag(const std::string& name) {
    const std::string flag = "--" + name;
    if (std::count(words_.begin(), words_.end(), flag) > 1) throw UsageError(flag + " given more than once");
    for (std::size_t i = 0; i < words_.size(); ++i) {
        if (words_[i] == flag) {
            words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

std::vector<std::string> CliArgs::positionals() const {
    for (const auto& word : words_) {
        if (word.size() > 2 && word.rfind("--", 0) == 0) throw UsageError("unknown option " + word);
    }
    return words_;
}

int parseInt(const std::string& text, const std::string& what) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end) throw UsageError(what + " must be a whole number, not '" + text + "'");
    return value;
}

}  // namespace dravio::app
