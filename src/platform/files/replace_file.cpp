#include "platform/files/replace_file.h"

#include "platform/text/printable.h"

namespace platform::files {

WriteResult ReplaceFileContents(const std::string& path, const std::uint8_t* data, std::size_t size,
                                NameRule rule) {
    return ReplaceFileWith(
        path, [&](ByteSink& out) { return out.write(data, size); }, rule);
}

std::string FailureMessage(const std::string& path, const std::string& reason) {
    return "cannot save the picture to " + Quoted(path) + ": " + reason;
}

std::string Quoted(const std::string& text) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "literal" + std::string.
    std::string quoted(1, '"');
    quoted += platform::Printable(text);
    quoted += '"';
    return quoted;
}

}  // namespace platform::files
