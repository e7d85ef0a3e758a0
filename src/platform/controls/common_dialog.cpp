// What the file dialog control does whatever toolkit shows the dialog.

#include "platform/controls/common_dialog.h"

#include <algorithm>
#include <vector>

namespace controls {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

CommonDialog::CommonDialog(const Control* owner) : owner_(owner) {}

void CommonDialog::ShowSave() {
    const SaveRequest request{DialogTitle, DialogNameFilter(Filter), FileName, FilterIndex};
    const std::optional<SaveChoice> chosen = chooser_ ? chooser_(request) : runDialog(request);
    FileName = chosen ? chosen->fileName : std::string();
    if (chosen && chosen->filterIndex > 0) {
        FilterIndex = chosen->filterIndex;
    }
    if (FileName.empty() && CancelError) {
        throw DialogCancelled();
    }
}

void CommonDialog::setSaveChooser(SaveChooser chooser) {
    chooser_ = std::move(chooser);
}

std::string CommonDialog::DialogNameFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar - start));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    std::string entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string_view description = Trimmed(parts[i]);
        std::string patterns(Trimmed(parts[i + 1]));
        std::replace(patterns.begin(), patterns.end(), ';', ' ');
        // The dialog reads the patterns from the description's last
        // parentheses, so a description that already shows them is complete.
        const std::string shown = "(" + patterns + ")";
        if (!entries.empty()) {
            entries += ";;";
        }
        entries += description;
        if (!description.ends_with(shown)) {
            entries += " " + shown;
        }
    }
    return entries;
}

}  // namespace controls
