#pragma once
// A status bar along the bottom of a window. Panels are addressed from 1;
// there is one panel spanning the bar.

#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/control.h"

namespace controls {

class StatusBar : public Control {
  public:
    class Panel {
      public:
        Panel(StatusBar& bar, int index) : bar_(bar), index_(index) {}
        std::string Text() const;
        void setText(std::string_view text);

      private:
        StatusBar& bar_;
        int index_;
    };

    explicit StatusBar(Control& container);
    static constexpr int kHeight = 21;

    // Panel `index` (from 1); null for an index that does not exist.
    Panel* Panels(int index);
    // Draws the bar now, before the program returns to the event loop.
    void Refresh();

  private:
    std::vector<Panel> panels_;
};

}  // namespace controls
