#pragma once
// The window-capture instructions: a small fixed dialog that tells the user
// to bring the wanted window to the front and press Shift+Print Screen.

#include "platform/controls/form.h"
#include "platform/controls/label.h"

class Form2 : public controls::Form {
  public:
    // Client size and label placement, in pixels (twips / 15).
    static constexpr int kClientWidth = 3735 / 15;
    static constexpr int kClientHeight = 870 / 15;

    Form2();

    controls::Label Label1{*this,
                           "Open up the window you wish to capture, then press Shift+Print Screen"};
};
