#include "platform/controls/common_dialog.h"

#include <algorithm>
#include <vector>

#include "platform/controls/win32/control_impl.h"
// After windows.h, which it needs.
#include <cderr.h>
#include <commdlg.h>

namespace controls {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

// "Bitmap File (*.bmp)|*.bmp|..." as the dialog takes it: pairs of
// nul-terminated strings, ended by an empty one.
std::wstring DialogFilter(std::string_view filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::wstring pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        pairs += win32::Wide(Trimmed(parts[i]));
        pairs += L'\0';
        pairs += win32::Wide(Trimmed(parts[i + 1]));
        pairs += L'\0';
    }
    pairs += L'\0';
    return pairs;
}

}  // namespace

std::optional<CommonDialog::SaveChoice> CommonDialog::runDialog(const SaveRequest& request) const {
    const std::wstring filter = DialogFilter(Filter);
    const std::wstring title = win32::Wide(request.title);
    HWND owner =
        owner_ && owner_->impl().hwnd ? GetAncestor(owner_->impl().hwnd, GA_ROOT) : nullptr;
    // Long paths fit: the dialog writes the choice into this buffer.
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring start = win32::Wide(request.fileName);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::fill(name.begin(), name.end(), L'\0');
        if (attempt == 0 && start.size() < name.size()) {
            std::copy(start.begin(), start.end(), name.begin());
        }
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
        dialog.nFilterIndex = static_cast<DWORD>(std::max(1, request.filterIndex));
        dialog.lpstrFile = name.data();
        dialog.nMaxFile = static_cast<DWORD>(name.size());
        dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
        // The name comes back exactly as chosen: no added extension, no
        // question about replacing a file (saving asks its own).
        dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
        if (GetSaveFileNameW(&dialog)) {
            return SaveChoice(win32::Utf8(name.data()), static_cast<int>(dialog.nFilterIndex));
        }
        // A previous name the dialog cannot start from (gone, or not a
        // valid name here) is not a cancel: it opens again without it.
        if (CommDlgExtendedError() != FNERR_INVALIDFILENAME || start.empty()) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace controls
