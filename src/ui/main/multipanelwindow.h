#pragma once

#include "app/appcontext.h"
#include "db/backend.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The multi-panel window. Its password panel logs the user in: the typed characters are kept
// apart from the box, which shows one "*" per character. (Its other panels, settings and users,
// reference-book element and about, come with their commands.)
class MultiPanelWindow : public QDialog {
    Q_OBJECT
public:
    MultiPanelWindow(AppContext& app, QWidget* parent = nullptr);

    // Shows the password panel alone, application-modal; finished() follows when it closes.
    void showPasswordPanel(const ResultSet& users);
    const QString& typedPassword() const { return m_typed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void acceptPassword();
    void cancelPassword();

    AppContext& m_app;
    ResultSet m_users;
    QString m_typed; // TypedPassword
    QWidget* m_passwordPanel;
    QLineEdit* m_passwordEdit;
};
