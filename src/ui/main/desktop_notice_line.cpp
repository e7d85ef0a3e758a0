#include "ui/main/desktop_notice_line.h"

#include <cctype>
#include <string>

#include "platform/controls/status_bar.h"
#include "platform/desktop_notice.h"

namespace ui {

void ShowDesktopNoticesIn(controls::StatusBar* bar) {
    platform::SetNoticeSink(
        [bar, before = std::string(), showing = false](const std::string& notice) mutable {
            controls::StatusBar::Panel* panel = bar ? bar->Panels(1) : nullptr;
            if (panel == nullptr) {
                return;
            }
            if (notice.empty()) {
                if (showing) {
                    panel->setText(before);
                    showing = false;
                }
                return;
            }
            if (!showing) {
                before = panel->Text();
                showing = true;
            }
            std::string line = notice;
            line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
            panel->setText(line + ".");
            bar->Refresh();
        });
}

void StopDesktopNotices() {
    platform::SetNoticeSink(nullptr);
}

}  // namespace ui
