#include "platform/controls/status_bar.h"

#include <QResizeEvent>

namespace controls {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
    label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label_->setObjectName("StatusBar1Panel1");
    panels_.emplace_back(label_);
    setFixedHeight(kHeight);
}

StatusBar::Panel* StatusBar::Panels(int index) {
    if (index < 1 || index > static_cast<int>(panels_.size())) {
        return nullptr;
    }
    return &panels_[static_cast<std::size_t>(index - 1)];
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    label_->setGeometry(2, 2, event->size().width() - 4, event->size().height() - 3);
}

}  // namespace controls
