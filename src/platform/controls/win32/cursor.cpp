#include "platform/controls/cursor.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {

bool PointerIsOver(const Control& control) {
    HWND window = control.impl().hwnd;
    if (!window || !IsWindowVisible(window)) {
        return false;
    }
    POINT pointer{};
    if (!GetCursorPos(&pointer)) {
        return false;
    }
    RECT place;
    GetWindowRect(window, &place);
    return PtInRect(&place, pointer) != FALSE;
}

}  // namespace controls
