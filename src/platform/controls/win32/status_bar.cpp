#include "platform/controls/status_bar.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// The system's status bar, placed by the form like any control, with one
// part across it. The texts are kept here too, as they were set.
struct StatusBarImpl : Control::Impl {
    std::vector<std::string> texts{1};
};

StatusBarImpl& ImplOfBar(const StatusBar& bar) {
    return static_cast<StatusBarImpl&>(bar.impl());
}

}  // namespace

StatusBar::StatusBar(Control& container) : Control(std::make_unique<StatusBarImpl>()) {
    HWND bar =
        win32::CreateControlWindow(impl(), container, STATUSCLASSNAMEW, L"",
                                   WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER);
    if (bar) {
        int ends[] = {-1};
        SendMessageW(bar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(ends));
    }
    panels_.emplace_back(*this, 1);
}

StatusBar::Panel* StatusBar::Panels(int index) {
    if (index < 1 || index > static_cast<int>(panels_.size())) {
        return nullptr;
    }
    return &panels_[static_cast<std::size_t>(index - 1)];
}

void StatusBar::Refresh() {
    if (HWND bar = impl().hwnd) {
        RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

std::string StatusBar::Panel::Text() const {
    const StatusBarImpl& bar = ImplOfBar(bar_);
    return bar.texts[static_cast<std::size_t>(index_ - 1)];
}

void StatusBar::Panel::setText(std::string_view text) {
    StatusBarImpl& bar = ImplOfBar(bar_);
    bar.texts[static_cast<std::size_t>(index_ - 1)] = text;
    if (bar.hwnd) {
        SendMessageW(bar.hwnd, SB_SETTEXTW, static_cast<WPARAM>(index_ - 1),
                     reinterpret_cast<LPARAM>(win32::Wide(text).c_str()));
    }
}

}  // namespace controls
