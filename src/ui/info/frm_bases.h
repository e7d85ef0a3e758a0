#pragma once
// The banner window the third hot key brings up: black, borderless, over the
// whole screen, with one line of red text. A click anywhere closes it.

#include "platform/controls/form.h"
#include "platform/controls/label.h"

class frmBases : public controls::Form {
  public:
    frmBases();

    controls::Label Label1{*this, "All your bases are belong to us"};

    void Form_Click();
    void Label1_Click();
};
