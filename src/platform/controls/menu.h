#pragma once
// A form's menus: a Menu is a title on the form's menu bar that opens a
// list of MenuItems; a MenuItem built on the form itself sits on the bar as
// a command of its own. Captions mark the access key with `&` ("&File"); an
// item captioned "-" is a separator line. Menus and items appear in the
// order they are built.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class Form;

class Menu : public Control {
  public:
    Menu(Form& form, std::string_view caption);
};

class MenuItem {
  public:
    struct Impl;

    MenuItem(Menu& menu, std::string_view caption);
    MenuItem(Form& form, std::string_view caption);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    std::string Caption() const;
    bool Enabled() const;
    void setEnabled(bool enabled);
    // A key that chooses the item while its form is active, such as
    // (vbCtrlMask, 'S') for Ctrl+S: a letter or digit with shift codes.
    void setShortcut(int shift, int keyCode);

    std::function<void()> Click;

    Impl& impl() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace controls
