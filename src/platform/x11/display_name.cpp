#include "platform/x11/display_name.h"

namespace platform {
namespace {

std::string& chosen() {
    static std::string name;
    return name;
}

}  // namespace

std::string DisplayArgument(const std::vector<std::string>& args) {
    std::string found;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "-display" || args[i] == "--display") {
            found = args[++i];
        }
    }
    return found;
}

void UseDisplay(std::string name) {
    chosen() = std::move(name);
}

const char* DisplayName() {
    return chosen().empty() ? nullptr : chosen().c_str();
}

}  // namespace platform
