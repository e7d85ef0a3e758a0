#include "output/time_fields.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/files/file_names.h"

namespace output {
namespace {

constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

bool IsLeap(long long year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days from the Monday that starts the first ISO week of the year of the
// day `yearDay` (0 is 1 January), which is a `weekDay` (0 is Sunday):
// negative when it lies in the previous year's last week.
int IsoWeekDays(int yearDay, int weekDay) {
    constexpr int kBigMultipleOf7 = (366 / 7 + 2) * 7;
    return yearDay - (yearDay - weekDay + 4 + kBigMultipleOf7) % 7 + 3;
}

struct IsoWeek {
    long long year;
    int week;
};

IsoWeek IsoWeekOf(const std::tm& when) {
    long long year = when.tm_year + 1900LL;
    int days = IsoWeekDays(when.tm_yday, when.tm_wday);
    if (days < 0) {
        --year;
        days = IsoWeekDays(when.tm_yday + 365 + IsLeap(year), when.tm_wday);
    } else if (const int next = IsoWeekDays(when.tm_yday - 365 - IsLeap(year), when.tm_wday);
               next >= 0) {
        ++year;
        days = next;
    }
    return {year, days / 7 + 1};
}

std::string Name(const char* const* names, int count, int index, bool abbreviated) {
    if (index < 0 || index >= count) {
        return "?";
    }
    const std::string name = names[index];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string Number(long long value, std::size_t width, char fill) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    const std::size_t wanted = width - (value < 0 && width > 0 ? 1 : 0);
    if (fill != '\0' && digits.size() < wanted) {
        digits.insert(0, wanted - digits.size(), fill);
    }
    return value < 0 ? "-" + digits : digits;
}

// One field as written: '%', flags, a width, a modifier, the letter.
struct Field {
    char letter = '\0';
    char pad = '\0';  // '-' (none), '_' (spaces), '0' (zeros), or the field's own
    bool upper = false;
    bool swapCase = false;
    std::size_t width = 0;  // 0: the field's own
};

// The letters the E and O modifiers may go with; with any other, the
// field is written as it stands, as glibc does.
constexpr std::string_view kWithE = "cCnpPrRstTuxXyYzZ%";
constexpr std::string_view kWithO = "bBCdegGhHIjklmMnpPrRsStTuUVwWyzZ%";

void SetCase(std::string& text, bool upper) {
    for (char& c : text) {
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    }
}

// To the width asked for, with zeros where the '0' flag asks for them.
void Pad(std::string& text, const Field& written) {
    if (text.size() < written.width) {
        text.insert(0, written.width - text.size(), written.pad == '0' ? '0' : ' ');
    }
}

class Filler {
  public:
    Filler(const std::tm& when, char separator) : when_(when), separator_(separator) {}

    // `format`'s fields filled in; the ':' of its times is the separator.
    std::string fields(std::string_view format) const {
        std::string filled;
        for (std::size_t at = 0; at < format.size(); ++at) {
            if (format[at] != '%') {
                filled += format[at] == ':' ? separator_ : format[at];
                continue;
            }
            const std::size_t start = at++;
            Field written;
            for (; at < format.size(); ++at) {
                const char flag = format[at];
                if (flag == '^') {
                    written.upper = true;
                } else if (flag == '#') {
                    written.swapCase = true;
                } else if (flag == '-' || flag == '_' || flag == '0') {
                    written.pad = flag;
                } else {
                    break;
                }
            }
            for (; at < format.size() && format[at] >= '0' && format[at] <= '9'; ++at) {
                written.width =
                    std::min<std::size_t>(written.width * 10 + (format[at] - '0'), 1024);
            }
            char modifier = '\0';
            if (at < format.size() && (format[at] == 'E' || format[at] == 'O')) {
                modifier = format[at++];
            }
            if (at >= format.size()) {
                filled += format.substr(start);
                break;
            }
            written.letter = format[at];
            const bool modifierFits =
                (modifier != 'E' || kWithE.find(written.letter) != std::string_view::npos) &&
                (modifier != 'O' || kWithO.find(written.letter) != std::string_view::npos);
            std::optional<std::string> value;
            if (modifierFits) {
                value = field(written);
            }
            if (!value) {
                // Not a field: written as it stands, as glibc does.
                value = std::string(format.substr(start, at + 1 - start));
                if (written.upper) {
                    SetCase(*value, true);
                }
                Pad(*value, written);
            }
            filled += *value;
        }
        return filled;
    }

  private:
    // One field filled in, with its flags; empty when it is not known.
    std::optional<std::string> field(const Field& written) const {
        std::optional<std::string> value = plain(written);
        if (!value) {
            return std::nullopt;
        }
        if (written.swapCase) {
            // Names in upper case, "AM" and the zone's name in lower.
            if (std::string_view("aAbBh").find(written.letter) != std::string_view::npos) {
                SetCase(*value, true);
            } else if (written.letter == 'p' || written.letter == 'Z') {
                SetCase(*value, false);
            }
        }
        if (written.upper && written.letter != 'P') {
            SetCase(*value, true);
        }
        Pad(*value, written);
        return value;
    }

    std::optional<std::string> plain(const Field& written) const {
        const std::tm& t = when_;
        const long long year = t.tm_year + 1900LL;
        const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
        const auto number = [&written](long long value, std::size_t width, char ownFill = '0') {
            const char fill = written.pad == '-'   ? '\0'
                              : written.pad == '_' ? ' '
                              : written.pad == '0' ? '0'
                                                   : ownFill;
            return Number(value, std::max(written.width, width), fill);
        };
        switch (written.letter) {
            case 'a':
                return Name(kDays, 7, t.tm_wday, true);
            case 'A':
                return Name(kDays, 7, t.tm_wday, false);
            case 'b':
            case 'h':
                return Name(kMonths, 12, t.tm_mon, true);
            case 'B':
                return Name(kMonths, 12, t.tm_mon, false);
            case 'c':
                return fields("%a %b %e %H:%M:%S %Y");
            case 'C':
                return number(year / 100 - (year % 100 < 0 ? 1 : 0), 2);
            case 'd':
                return number(t.tm_mday, 2);
            case 'D':
            case 'x':
                return fields("%m/%d/%y");
            case 'e':
                return number(t.tm_mday, 2, ' ');
            case 'F':
                return fields("%Y-%m-%d");
            case 'g':
                return number((IsoWeekOf(t).year % 100 + 100) % 100, 2);
            case 'G':
                return number(IsoWeekOf(t).year, 1);
            case 'H':
                return number(t.tm_hour, 2);
            case 'I':
                return number(hour12, 2);
            case 'j':
                return number(t.tm_yday + 1, 3);
            case 'k':
                return number(t.tm_hour, 2, ' ');
            case 'l':
                return number(hour12, 2, ' ');
            case 'm':
                return number(t.tm_mon + 1, 2);
            case 'M':
                return number(t.tm_min, 2);
            case 'n':
                return "\n";
            case 'p':
                return t.tm_hour >= 12 ? "PM" : "AM";
            case 'P':
                return t.tm_hour >= 12 ? "pm" : "am";
            case 'r':
                return fields("%I:%M:%S %p");
            case 'R':
                return fields("%H:%M");
            case 's': {
                std::tm copy = t;
                return number(static_cast<long long>(std::mktime(&copy)), 1);
            }
            case 'S':
                return number(t.tm_sec, 2);
            case 't':
                return "\t";
            case 'T':
            case 'X':
                return fields("%H:%M:%S");
            case 'u':
                return number(t.tm_wday == 0 ? 7 : t.tm_wday, 1);
            case 'U':
                return number((t.tm_yday - t.tm_wday + 7) / 7, 2);
            case 'V':
                return number(IsoWeekOf(t).week, 2);
            case 'w':
                return number(t.tm_wday, 1);
            case 'W':
                return number((t.tm_yday - (t.tm_wday + 6) % 7 + 7) / 7, 2);
            case 'y':
                return number((year % 100 + 100) % 100, 2);
            case 'Y':
                return number(year, 1);
            case 'z': {
                const std::string offset = platform::files::TimeZoneOffset(t);
                if (written.pad == '\0' || offset.size() != 5) {
                    return offset;
                }
                return offset.substr(0, 1) + number(std::stoll(offset.substr(1)), 4);
            }
            case 'Z':
                return platform::files::TimeZoneName(t);
            case '%':
                return "%";
            default:
                return std::nullopt;
        }
    }

    const std::tm& when_;
    char separator_;
};

}  // namespace

std::string FormatTimeFields(std::string_view format, const std::tm& when, char timeSeparator) {
    // What the user typed keeps its ':'; only the times' own change.
    std::string filled;
    const Filler filler(when, timeSeparator);
    std::size_t start = 0;
    for (std::size_t at = format.find('%'); at != std::string_view::npos;
         at = format.find('%', start)) {
        filled += format.substr(start, at - start);
        std::size_t end = at + 1;
        while (end < format.size() &&
               std::string_view("-_0^#0123456789").find(format[end]) != std::string_view::npos) {
            ++end;
        }
        if (end < format.size() && (format[end] == 'E' || format[end] == 'O')) {
            ++end;
        }
        if (end >= format.size()) {
            filled += format.substr(at);
            return filled;
        }
        filled += filler.fields(format.substr(at, end + 1 - at));
        start = end + 1;
    }
    return filled + std::string(format.substr(start));
}

}  // namespace output
