#pragma once
// The About box: product, version, author credit and support address. Its
// support line can be dragged onto the title, which opens the "Camel"
// window.

#include <QDialog>
#include <QPoint>
#include <QString>
#include <optional>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    // The drag-and-drop format that carries the name of the dragged control.
    static constexpr const char* kControlMimeType = "application/x-tessarine-control";

    frmAbout();

    QWidget* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdOK = nullptr;
    QLabel* Support = nullptr;

    void cmdOK_Click();
    // A control named `sourceName` was dropped on Label1 at (x, y).
    void Label1_DragDrop(const QString& sourceName, float x, float y);

    // Esc and the close box unload the box, as OK does.
    void reject() override;

    // Called by the drag machinery: Support was pressed at `hotSpot`, and a
    // control was dropped on Label1.
    void DragSupport(QPoint hotSpot);
    void RecordDropOnLabel1(const QString& sourceName, QPoint position);

  protected:
    // A minimised box comes straight back (see the definition).
    void changeEvent(QEvent* event) override;

  private:
    struct Drop {
        QString sourceName;
        QPoint position;
    };
    std::optional<Drop> pendingDrop_;
};
