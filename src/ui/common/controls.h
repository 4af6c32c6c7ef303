#pragma once

#include <QDate>

class QDateEdit;
class QLineEdit;
class QWidget;

// Small pieces the windows share.
namespace Controls {

// A text box with the name tests find it by.
QLineEdit* edit(const char* name);
// A date picker (dd.mm.yyyy, calendar popup). With allowEmpty, its earliest date NoDate stands
// for "no date" and shows nothing.
inline const QDate NoDate(1899, 12, 30);
QDateEdit* datePicker(const char* name, bool allowEmpty = false);

// Puts a window in the middle of its screen, or of another window.
void centreOnScreen(QWidget* window);
void centreOver(QWidget* window, const QWidget* other);

} // namespace Controls
