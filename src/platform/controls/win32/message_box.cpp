#include "platform/controls/message_box.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {

// The system's message box copies itself with Ctrl+C as the header says.
void ShowMessage(const Control* owner, MessageIcon icon, std::string_view title,
                 std::string_view text) {
    const UINT shown = icon == MessageIcon::Critical  ? MB_ICONERROR
                       : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                      : MB_ICONINFORMATION;
    HWND parent = owner && owner->impl().hwnd ? GetAncestor(owner->impl().hwnd, GA_ROOT) : nullptr;
    // Without an owner, the program's windows wait for it all the same.
    MessageBoxW(parent, win32::Wide(text).c_str(), win32::Wide(title).c_str(),
                MB_OK | shown | (parent ? MB_APPLMODAL : MB_TASKMODAL));
}

}  // namespace controls
