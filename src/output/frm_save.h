#pragma once
// The save window: a borderless window over the whole screen whose load
// handler copies the capture buffer into its picture box at actual size,
// writes that picture to `variables::SaveFileName` and unloads the window
// again. The user sees the capture flash up at the top-left corner.

#include <memory>

#include "output/bitmap_file.h"
#include "output/picture_format.h"
#include "platform/controls/form.h"
#include "platform/controls/picture_box.h"

class frmSave : public controls::Form {
  public:
    frmSave();
    ~frmSave() override;

    controls::PictureBox Picture1{*this};

    void Form_Load();
    // A right-click (button 2) on the window's own surface closes it.
    void Form_MouseDown(int button, int shift, float x, float y);

    // Shows the save window, which writes the file as it loads, and returns
    // what the write came to. While a save window is already loaded (a save
    // still in progress further up the call stack) this only brings it to
    // the front and fails: it writes nothing itself.
    static output::WriteResult ShowAndWrite();

  private:
    output::WriteResult write(int width, int height, const std::string& path,
                              output::PictureFormat format);

    // False once the window is deleted: the load handler's yields may run
    // a handler that unloads it, and the event loop deletes it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    static output::WriteResult lastWrite_;
};
