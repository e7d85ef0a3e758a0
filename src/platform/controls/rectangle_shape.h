#pragma once
// A rectangle outline over its container, like a rubber band. Its position
// and size are real numbers in the screen's own (device) pixels, as the
// picture boxes it lies on count them; a negative width or height is refused
// and the previous value kept.

#include <QColor>
#include <QWidget>

namespace controls {

class RectangleShape : public QWidget {
    Q_OBJECT
  public:
    explicit RectangleShape(QWidget* container);

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void setLeft(double value);
    void setTop(double value);
    // Both return false, changing nothing, for a negative or non-finite value.
    bool setWidth(double value);
    bool setHeight(double value);
    void setBorderWidth(int pixels);
    void setBorderColor(const QColor& colour);
    void setVisible(bool visible) override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void place();

    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int borderWidth_ = 2;
    QColor borderColor_;
};

}  // namespace controls
