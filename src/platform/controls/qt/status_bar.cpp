#include "platform/controls/status_bar.h"

#include <QLabel>
#include <QResizeEvent>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

class StatusBarWidget : public QWidget {
  public:
    explicit StatusBarWidget(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
        label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label_->setObjectName("StatusBar1Panel1");
        setFixedHeight(StatusBar::kHeight);
    }

    QLabel* panel(int index) const { return index == 1 ? label_ : nullptr; }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        label_->setGeometry(2, 2, event->size().width() - 4, event->size().height() - 3);
    }

  private:
    QLabel* label_;
};

QLabel* PanelLabel(const StatusBar& bar, int index) {
    auto* widget = static_cast<StatusBarWidget*>(qt::WidgetOf(bar));
    return widget ? widget->panel(index) : nullptr;
}

}  // namespace

StatusBar::StatusBar(Control& container)
    : Control(std::make_unique<Impl>(new StatusBarWidget(qt::ClientOf(container)))) {
    panels_.emplace_back(*this, 1);
}

StatusBar::Panel* StatusBar::Panels(int index) {
    if (index < 1 || index > static_cast<int>(panels_.size())) {
        return nullptr;
    }
    return &panels_[static_cast<std::size_t>(index - 1)];
}

void StatusBar::Refresh() {
    if (QWidget* widget = qt::WidgetOf(*this)) {
        widget->repaint();
    }
}

std::string StatusBar::Panel::Text() const {
    const QLabel* label = PanelLabel(bar_, index_);
    return label ? label->text().toStdString() : std::string();
}

void StatusBar::Panel::setText(std::string_view text) {
    if (QLabel* label = PanelLabel(bar_, index_)) {
        label->setText(qt::Text(text));
    }
}

}  // namespace controls
