#pragma once
// The label beside the pointer that gives the dragged rectangle's size in
// pixels while the selection is dragged.

#include <QString>

class QLabel;
class QWidget;

namespace capture {

// A hidden label on `picture` that lets the mouse through to it.
QLabel* NewSizeLabel(QWidget* picture);

// Shows `text` below and to the right of the pointer, or on the other side
// of it where the picture ends.
void ShowSizeLabel(QLabel* label, const QString& text);

}  // namespace capture
