#include "ui/common/widgetprompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
QWidget* owner() {
    return QApplication::activeWindow();
}
} // namespace

bool WidgetPrompter::ask(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void WidgetPrompter::notify(const QString& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text,
                    QMessageBox::Ok, owner());
    box.exec();
}

void WidgetPrompter::warn(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ВНИМАНИЕ!!!"), text, QMessageBox::Ok,
                    owner());
    box.exec();
}

void WidgetPrompter::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Ошибка"), text, QMessageBox::Ok,
                    owner());
    box.exec();
}
