#include "output/file_name_template.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output/file_replace.h"

namespace output {
namespace {

// The attempts at a free name before giving up.
constexpr int kMaxSuffix = 9999;

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

bool IsFileNameTemplate(std::string_view name) {
    return name.find('%') != std::string_view::npos || name.find("$w") != std::string_view::npos ||
           name.find("$h") != std::string_view::npos;
}

std::string ExpandHome(std::string_view name) {
    const char* home = std::getenv("HOME");
    if (name.substr(0, 2) == "~/" && home != nullptr && *home != '\0') {
        return std::string(home) + std::string(name.substr(1));
    }
    return std::string(name);
}

std::optional<std::string> FillFileNameTemplate(std::string_view name, const std::tm& when,
                                                int width, int height) {
    // The home folder is no template: a '%' or "$w" in it stays as it is.
    const std::string home = ExpandHome(name.substr(0, 2) == "~/" ? "~/" : "");
    std::string format(name.substr(home.empty() ? 0 : 2));
    // The sizes first: digits hold no strftime field.
    ReplaceAll(format, "$w", std::to_string(width));
    ReplaceAll(format, "$h", std::to_string(height));
    if (format.find('%') == std::string::npos) {
        return home + format;
    }
    // strftime returns 0 both for a result that does not fit and for an
    // empty one; a marker at the end tells them apart.
    format += '\x01';
    std::vector<char> buffer(format.size() * 4 + 64);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const std::size_t length =
            std::strftime(buffer.data(), buffer.size(), format.c_str(), &when);
        if (length > 0) {
            std::string filled(buffer.data(), length - 1);
            if (filled.empty() || filled.find('\0') != std::string::npos) {
                return std::nullopt;
            }
            return home + filled;
        }
        buffer.resize(buffer.size() * 4);
    }
    return std::nullopt;
}

std::optional<std::string> ClaimFreeName(const std::string& name, const NameClaim& claim,
                                         std::string& error) {
    // The suffix goes before the extension of the last path component.
    const std::size_t slash = name.rfind('/');
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

}  // namespace output
