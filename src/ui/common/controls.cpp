#include "ui/common/controls.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QScreen>

namespace Controls {

QLineEdit* edit(const char* name) {
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    return e;
}

QDateEdit* datePicker(const char* name, bool allowEmpty) {
    auto* d = new QDateEdit;
    d->setObjectName(QLatin1String(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    if (allowEmpty) {
        d->setMinimumDate(NoDate);
        d->setSpecialValueText(QStringLiteral(" ")); // the empty date shows nothing
        d->setDate(NoDate);
    }
    return d;
}

void centreOnScreen(QWidget* window) {
    if (const QScreen* s = window->screen())
        window->move(s->availableGeometry().center() - window->rect().center());
}

void centreOver(QWidget* window, const QWidget* other) {
    window->move(other->frameGeometry().center() - window->rect().center());
}

} // namespace Controls
