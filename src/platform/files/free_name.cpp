#include "platform/files/free_name.h"

#include <cerrno>
#include <cstring>

#include "platform/files/file_names.h"
#include "platform/files/replace_file.h"

namespace platform::files {
namespace {

// The attempts at a free name before giving up.
constexpr int kMaxSuffix = 9999;

}  // namespace

std::optional<std::string> ClaimFreeName(const std::string& name, const NameClaim& claim,
                                         std::string& error) {
    // The suffix goes before the extension of the last path component.
    const std::size_t slash = LastSeparator(name);
    const std::size_t dot = name.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        std::string candidate =
            suffix == 0 ? name : stem + "_" + std::to_string(suffix) + extension;
        if (claim(candidate)) {
            return candidate;
        }
        if (errno != EEXIST) {
            error = "cannot save the picture to \"" + candidate +
                    "\": " + (errno == ENOENT ? NoSuchFileReason(candidate) : std::strerror(errno));
            return std::nullopt;
        }
    }
    error = "cannot save the picture to \"" + name + "\": every name up to _" +
            std::to_string(kMaxSuffix) + " is taken";
    return std::nullopt;
}

}  // namespace platform::files
