#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "platform/files/file_names.h"
#include "platform/files/utf16.h"

namespace platform::files {

std::size_t LastSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

std::string HomeFolder() {
    const wchar_t* profile = ::_wgetenv(L"USERPROFILE");
    return profile ? Utf8FromWide(profile) : std::string();
}

char TimeSeparatorInNames() {
    return '-';
}

std::string TimeZoneOffset(const std::tm& when) {
    std::tm local = when;
    std::tm asUtc = when;
    const std::time_t instant = std::mktime(&local);
    const std::time_t shifted = ::_mkgmtime(&asUtc);
    if (instant == -1 || shifted == -1) {
        return {};
    }
    const long long minutes = (static_cast<long long>(shifted) - instant) / 60;
    const long long size = minutes < 0 ? -minutes : minutes;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02lld%02lld", minutes < 0 ? '-' : '+', size / 60,
                  size % 60);
    return text;
}

std::string TimeZoneName(const std::tm& when) {
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        return {};
    }
    const wchar_t* name = when.tm_isdst > 0 ? zone.DaylightName : zone.StandardName;
    return Utf8FromWide({name, ::wcsnlen(name, 32)});
}

}  // namespace platform::files
