#pragma once

#include <QObject>

// MouseWheelToArrowKeys: every wheel notch anywhere in the program becomes an arrow key for the
// focused control (away from the user: Up, towards the user: Down), so one notch moves the
// current row of a grid or list by one.
class MouseWheelToArrowKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
