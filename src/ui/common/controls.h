#pragma once

#include <QColor>

#include <QDate>

#include <QObject>

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

// Moves the focus to the next field as Tab does: a text box entered so has its text selected,
// so typing replaces it (Enter moves the focus along the fields of several windows).
void focusNext(QWidget* next);

// The key rule of the boxes for amounts (areas, tariffs): digits, and one decimal comma, which a
// typed point also gives. Installed as an event filter on a text box.
class DecimalCommaKeys : public QObject {
public:
    using QObject::QObject;
    // Installs the rule on a box (the rule's object lives as long as the box).
    static void install(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The office's colours of the money columns of the card and its history: the opening balance,
// the period's total, the payments and the closing balance (the other columns are white).
namespace FigureColour {
inline const QColor Opening(0xFF, 0xFF, 0xCC);
inline const QColor Total(0xFF, 0xCC, 0xCC);
inline const QColor Paid(0xCC, 0xFF, 0xCC);
inline const QColor Closing(0xCC, 0xFF, 0xFF);
} // namespace FigureColour

// Puts a window in the middle of its screen, or of another window.
void centreOnScreen(QWidget* window);
void centreOver(QWidget* window, const QWidget* other);

} // namespace Controls
