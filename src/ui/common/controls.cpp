#include "ui/common/controls.h"

#include <QDateEdit>
#include <QKeyEvent>
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

void focusNext(QWidget* next) {
    next->setFocus(Qt::TabFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(next))
        box->selectAll(); // as a box entered by Tab
}

void DecimalCommaKeys::install(QLineEdit* box) {
    box->installEventFilter(new DecimalCommaKeys(box));
}

bool DecimalCommaKeys::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint() || key->key() == Qt::Key_Backspace ||
        (key->modifiers() & Qt::ControlModifier))
        return false; // Backspace, arrows, copy and paste pass
    const QChar c = text.at(0);
    if (c == u'.' || c == u',') {
        const QString selected = box->selectedText();
        if (!box->text().contains(u',') || selected.contains(u','))
            box->insert(QStringLiteral(","));
        return true;
    }
    return !(c >= u'0' && c <= u'9');
}

void centreOnScreen(QWidget* window) {
    if (const QScreen* s = window->screen())
        window->move(s->availableGeometry().center() - window->rect().center());
}

void centreOver(QWidget* window, const QWidget* other) {
    window->move(other->frameGeometry().center() - window->rect().center());
}

} // namespace Controls
