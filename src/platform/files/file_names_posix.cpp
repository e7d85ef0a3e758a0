#include "platform/files/file_names.h"

#include <cstdlib>

namespace platform::files {
namespace {

std::string Format(const char* field, const std::tm& when) {
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, field, &when);
    return std::string(text, length);
}

}  // namespace

std::size_t LastSeparator(std::string_view path) {
    return path.rfind('/');
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

char TimeSeparatorInNames() {
    return ':';
}

std::string TimeZoneOffset(const std::tm& when) {
    return Format("%z", when);
}

std::string TimeZoneName(const std::tm& when) {
    return Format("%Z", when);
}

}  // namespace platform::files
