#include "platform/controls/menu.h"

#include <map>

#include "platform/controls/form.h"
#include "platform/controls/win32/menu_impl.h"

namespace controls {
namespace win32 {
namespace {

// Command ids from here up are menu items; below are the system's and the
// controls'.
constexpr WORD kFirstItemId = 0x4000;

std::map<WORD, MenuItem*>& Items() {
    static std::map<WORD, MenuItem*> items;
    return items;
}

WORD NextId() {
    static WORD next = kFirstItemId;
    while (Items().contains(next)) {
        ++next;
    }
    return next++;
}

FormImpl& FormImplOf(Form& form) {
    return static_cast<FormImpl&>(form.impl());
}

void RedrawBar(const MenuItem::Impl& item) {
    if (item.form && item.form->hwnd) {
        DrawMenuBar(item.form->hwnd);
    }
}

void Append(MenuItem& item, MenuItem::Impl& impl, HMENU menu, std::string_view caption) {
    impl.item = &item;
    impl.menu = menu;
    impl.caption = caption;
    if (!menu) {
        return;
    }
    if (caption == "-") {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    impl.id = NextId();
    Items()[impl.id] = &item;
    AppendMenuW(menu, MF_STRING, impl.id, Wide(caption).c_str());
    RedrawBar(impl);
}

}  // namespace

HMENU FormImpl::menuBar() {
    if (!bar_ && hwnd && style == Form::Style::Sizable) {
        bar_ = CreateMenu();
        SetMenu(hwnd, bar_);
    }
    return bar_;
}

void FormImpl::menuCommand(WORD id) {
    RunMenuItem(id);
}

void FormImpl::setShortcut(WORD id, BYTE virtualFlags, WORD key) {
    std::erase_if(accelTable_, [id](const ACCEL& entry) { return entry.cmd == id; });
    if (key != 0) {
        accelTable_.push_back(ACCEL{static_cast<BYTE>(virtualFlags | FVIRTKEY), key, id});
    }
    if (accelerators_) {
        DestroyAcceleratorTable(accelerators_);
        accelerators_ = nullptr;
    }
    if (!accelTable_.empty()) {
        accelerators_ =
            CreateAcceleratorTableW(accelTable_.data(), static_cast<int>(accelTable_.size()));
    }
}

bool RunMenuItem(WORD id) {
    const auto found = Items().find(id);
    if (found == Items().end()) {
        return false;
    }
    MenuItem* item = found->second;
    // A shortcut key chooses a disabled item as little as the menu does.
    if (item->Enabled() && item->Click) {
        item->Click();
    }
    return true;
}

}  // namespace win32

Menu::Menu(Form& form, std::string_view caption) : Control(std::make_unique<win32::MenuImpl>()) {
    auto& menu = static_cast<win32::MenuImpl&>(impl());
    win32::FormImpl& owner = win32::FormImplOf(form);
    menu.form = &owner;
    if (HMENU bar = owner.menuBar()) {
        menu.popup = CreatePopupMenu();
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu.popup),
                    win32::Wide(caption).c_str());
        DrawMenuBar(owner.hwnd);
    }
}

MenuItem::MenuItem(Menu& menu, std::string_view caption) : impl_(std::make_unique<Impl>()) {
    auto* owner = dynamic_cast<win32::MenuImpl*>(&menu.impl());
    impl_->form = menu.impl().form;
    win32::Append(*this, *impl_, owner ? owner->popup : nullptr, caption);
}

MenuItem::MenuItem(Form& form, std::string_view caption) : impl_(std::make_unique<Impl>()) {
    win32::FormImpl& owner = win32::FormImplOf(form);
    impl_->form = &owner;
    win32::Append(*this, *impl_, owner.menuBar(), caption);
}

MenuItem::~MenuItem() {
    if (impl_->id != 0) {
        win32::Items().erase(impl_->id);
        if (impl_->form) {
            impl_->form->setShortcut(impl_->id, 0, 0);
        }
    }
}

std::string MenuItem::Caption() const {
    return impl_->caption;
}

bool MenuItem::Enabled() const {
    if (!impl_->menu || impl_->id == 0) {
        return false;
    }
    const UINT state = GetMenuState(impl_->menu, impl_->id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void MenuItem::setEnabled(bool enabled) {
    if (impl_->menu && impl_->id != 0) {
        EnableMenuItem(impl_->menu, impl_->id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        win32::RedrawBar(*impl_);
    }
}

void MenuItem::setShortcut(int shift, int keyCode) {
    if (!impl_->menu || impl_->id == 0 || !impl_->form) {
        return;
    }
    BYTE flags = 0;
    std::string text;
    if (shift & vbCtrlMask) {
        flags |= FCONTROL;
        text += "Ctrl+";
    }
    if (shift & vbAltMask) {
        flags |= FALT;
        text += "Alt+";
    }
    if (shift & vbShiftMask) {
        flags |= FSHIFT;
        text += "Shift+";
    }
    text += static_cast<char>(keyCode);
    impl_->form->setShortcut(impl_->id, flags, static_cast<WORD>(keyCode));
    impl_->shortcutText = text;
    const std::wstring shown = win32::Wide(impl_->caption + "\t" + text);
    const UINT state = Enabled() ? MF_ENABLED : MF_GRAYED;
    ModifyMenuW(impl_->menu, impl_->id, MF_BYCOMMAND | MF_STRING | state, impl_->id, shown.c_str());
    win32::RedrawBar(*impl_);
}

}  // namespace controls
