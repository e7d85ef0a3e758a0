#include "output/file_name_template.h"

#include "output/time_fields.h"
#include "platform/files/file_names.h"

namespace output {
namespace {

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
    const std::string home = platform::files::HomeFolder();
    if (name.substr(0, 2) == "~/" && !home.empty()) {
        return home + std::string(name.substr(1));
    }
    return std::string(name);
}

std::optional<std::string> FillFileNameTemplate(std::string_view name, const std::tm& when,
                                                int width, int height) {
    // The home folder is no template: a '%' or "$w" in it stays as it is.
    const std::string home = ExpandHome(name.substr(0, 2) == "~/" ? "~/" : "");
    std::string format(name.substr(home.empty() ? 0 : 2));
    // The sizes first: digits hold no time field.
    ReplaceAll(format, "$w", std::to_string(width));
    ReplaceAll(format, "$h", std::to_string(height));
    std::optional<std::string> filled =
        FormatTimeFields(format, when, platform::files::TimeSeparatorInNames());
    if (!filled || filled->empty() || filled->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return home + *filled;
}

}  // namespace output
