#include "ui/common/wheeltoarrows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

bool MouseWheelToArrowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    QWidget* target = QApplication::focusWidget();
    if (target) {
        const int key = wheel->angleDelta().y() > 0 ? Qt::Key_Up : Qt::Key_Down;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
    return true; // the wheel itself scrolls nothing
}
