#include "ui/main/multipanelwindow.h"

#include "app/login.h"
#include "ui/common/controls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

MultiPanelWindow::MultiPanelWindow(AppContext& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_app(app), m_passwordPanel(new QWidget(this)), m_passwordEdit(new QLineEdit) {
    setObjectName(QStringLiteral("TForm6"));

    m_passwordPanel->setObjectName(QStringLiteral("PasswordPanel"));
    m_passwordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    m_passwordEdit->setContextMenuPolicy(Qt::NoContextMenu); // only typed characters count
    m_passwordEdit->setAcceptDrops(false);
    m_passwordEdit->installEventFilter(this);
    auto* ok = new QPushButton(QStringLiteral("О К"));
    ok->setObjectName(QStringLiteral("PasswordOk"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"));
    cancel->setObjectName(QStringLiteral("PasswordCancel"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &MultiPanelWindow::acceptPassword);
    connect(cancel, &QPushButton::clicked, this, &MultiPanelWindow::cancelPassword);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* panel = new QVBoxLayout(m_passwordPanel);
    panel->addWidget(m_passwordEdit);
    panel->addLayout(buttons);
    m_passwordPanel->setFixedSize(300, 84);
    m_passwordPanel->move(0, 0);
}

void MultiPanelWindow::showPasswordPanel(const ResultSet& users) {
    m_users = users;
    m_passwordPanel->move(0, 0);
    m_passwordPanel->show();
    setFixedSize(m_passwordPanel->size());
    m_passwordEdit->clear();
    setWindowTitle(QStringLiteral("Введите свой пароль"));
    setWindowModality(Qt::ApplicationModal);
    show();
    Controls::centreOnScreen(this);
}

void MultiPanelWindow::showEvent(QShowEvent* event) {
    m_typed.clear();
    m_passwordEdit->setFocus();
    QDialog::showEvent(event);
}

bool MultiPanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_passwordEdit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // paste, undo and the like would change the box without the typed password
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            event->accept();
        return false;
    }
    if (event->type() == QEvent::InputMethod)
        return true;
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        acceptPassword();
        return true;
    case Qt::Key_Escape:
        m_typed.clear();
        m_passwordEdit->clear();
        return true;
    case Qt::Key_Backspace:
        m_typed.chop(1);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
            return true;
        if (key->text().isEmpty() || !key->text().at(0).isPrint())
            return true; // arrows and the like would move inside the stars
        m_typed += key->text();
        break;
    }
    m_passwordEdit->setText(QString(m_typed.size(), u'*'));
    return true;
}

void MultiPanelWindow::acceptPassword() {
    const Login::User user = Login::findUser(m_users, m_typed);
    if (user.id > 0) {
        m_app.CurrentUserId = user.id;
        m_app.CurrentUserName = user.name;
    }
    m_app.state.ConfirmClose = false;
    accept();
}

void MultiPanelWindow::cancelPassword() {
    m_app.state.ConfirmClose = false;
    reject();
}
