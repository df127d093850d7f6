#pragma once

#include <QRect>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tonarion {

// The windows are laid out as fixed forms: every control at its own place, under the object
// name the tests and the accessibility checks find it by.
QGroupBox* frame(QWidget* parent, const char* name, const char* caption, QRect geometry);
QPushButton* pushButton(QWidget* parent, const char* name, const char* caption, QRect geometry);
// A text box shows "-" until something is entered.
QLineEdit* textBox(QWidget* parent, const char* name, QRect geometry);

// A window of its own opens in the middle of the primary screen's free area, at the size it
// has been given.
void centreOnScreen(QWidget& window);

} // namespace tonarion
