#pragma once
// The About box: product, version, author credit and support address. Its
// support line can be dragged onto the title, which opens the "Camel"
// window.

#include <string>

#include "platform/controls/command_button.h"
#include "platform/controls/form.h"
#include "platform/controls/image_box.h"
#include "platform/controls/label.h"

class frmAbout : public controls::Form {
  public:
    frmAbout();

    controls::ImageBox Picture1{*this};
    controls::Label Label1{Picture1, "Tessarine 1.0"};
    controls::Label Label2{Picture1, "by Lumograph"};
    controls::Label Support{*this, ""};
    // Built after the support line, which it overlaps, so that it lies on
    // top of it.
    controls::CommandButton cmdOK{*this, "OK"};

    // OK, Enter, Esc and the close box unload the box.
    void cmdOK_Click();
    // A control named `sourceName` was dropped on Label1 at (x, y).
    void Label1_DragDrop(const std::string& sourceName, float x, float y);

  private:
    void Form_WindowStateChanged();
};
