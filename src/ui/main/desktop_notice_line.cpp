#include "ui/main/desktop_notice_line.h"

#include <QPointer>
#include <QString>

#include "platform/controls/status_bar.h"
#include "platform/desktop_notice.h"

namespace ui {

void ShowDesktopNoticesIn(controls::StatusBar* bar) {
    platform::SetNoticeSink([bar = QPointer<controls::StatusBar>(bar), before = QString(),
                             showing = false](const std::string& notice) mutable {
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
        QString line = QString::fromStdString(notice);
        line[0] = line[0].toUpper();
        panel->setText(line + ".");
        bar->repaint();
    });
}

}  // namespace ui
