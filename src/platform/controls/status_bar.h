#pragma once
// A status bar along the bottom of a window. Panels are addressed from 1;
// there is one panel spanning the bar.

#include <QLabel>
#include <QWidget>
#include <vector>

namespace controls {

class StatusBar : public QWidget {
    Q_OBJECT
  public:
    class Panel {
      public:
        explicit Panel(QLabel* label) : label_(label) {}
        QString Text() const { return label_->text(); }
        void setText(const QString& text) { label_->setText(text); }

      private:
        QLabel* label_;
    };

    explicit StatusBar(QWidget* parent);
    static constexpr int kHeight = 21;

    // Panel `index` (from 1); null for an index that does not exist.
    Panel* Panels(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::vector<Panel> panels_;
    QLabel* label_;
};

}  // namespace controls
