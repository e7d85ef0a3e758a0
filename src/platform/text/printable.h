#pragma once
// Text from outside (a file name, a uri, another program's error) made safe
// to echo in a message: control characters are written as escapes, so that
// a name holding a newline or a terminal sequence cannot forge a line of
// our own or reach the terminal. Bytes that are not UTF-8 stay as they are.

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

inline std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls, U+0080 to U+009F, are 0xC2 0x80 to 0xC2 0x9F in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte >= 0x20 && byte != 0x7F && !c1) {
            out += text[i];
            continue;
        }
        switch (byte) {
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : byte;
        char escape[8];
        std::snprintf(escape, sizeof escape, c1 ? "\\u%04X" : "\\x%02X", code);
        out += escape;
    }
    return out;
}

}  // namespace platform
