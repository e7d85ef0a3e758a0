#include "platform/controls/frame.h"

#include <QGroupBox>
#include <QMouseEvent>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

class FrameWidget : public QGroupBox {
  public:
    FrameWidget(const QString& caption, QWidget* parent, Frame& frame)
        : QGroupBox(caption, parent), frame_(frame) {
        setMouseTracking(true);
    }

  protected:
    // A move over a control on the frame that passes it on is not a move
    // over the frame's own area; either way it goes no further.
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!frame_.MouseMove) {
            return QGroupBox::mouseMoveEvent(event);
        }
        if (!childAt(event->position().toPoint())) {
            frame_.MouseMove(qt::ButtonCodes(event->buttons()), qt::ShiftCode(event->modifiers()),
                             static_cast<float>(event->position().x()),
                             static_cast<float>(event->position().y()));
        }
    }

  private:
    Frame& frame_;
};

}  // namespace

Frame::Frame(Control& container, std::string_view caption)
    : Control(std::make_unique<Impl>(
          new FrameWidget(qt::Text(caption), qt::ClientOf(container), *this))) {}

}  // namespace controls
