#pragma once
// The Win32 side of menus: a menu is a pop-up menu on its form's menu bar,
// an item a command in a menu, known by its command id.

#include <string>

#include "platform/controls/menu.h"
#include "platform/controls/win32/form_impl.h"

namespace controls {

namespace win32 {

struct MenuImpl : Control::Impl {
    HMENU popup = nullptr;
};

}  // namespace win32

struct MenuItem::Impl {
    MenuItem* item = nullptr;
    win32::FormImpl* form = nullptr;
    // The menu that holds the item (the bar for an item on it).
    HMENU menu = nullptr;
    WORD id = 0;
    std::string caption;
    // The shortcut as the menu shows it ("Ctrl+S"), after a tab.
    std::string shortcutText;
};

}  // namespace controls
