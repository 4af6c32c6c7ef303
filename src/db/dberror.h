#pragma once

#include <QString>
#include <stdexcept>

// An error of the database layer. message() is the Russian text shown to the user: what
// failed, an excerpt of the statement and the engine's reason.
class DbError : public std::runtime_error {
public:
    DbError(QString message, QString statement = {}, QString reason = {})
        : std::runtime_error(message.toStdString()), m_message(std::move(message)),
          m_statement(std::move(statement)), m_reason(std::move(reason)) {}

    const QString& message() const { return m_message; }
    const QString& statement() const { return m_statement; }
    const QString& reason() const { return m_reason; }

private:
    QString m_message;
    QString m_statement;
    QString m_reason;
};
