#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class Connection;

// The action journal: one Zhurnal line per action that changes data and per entry into and exit
// from the program. It uses its own statements, so a caller's open queries are not disturbed.
class ActionJournal {
public:
    using Clock = std::function<QDateTime()>;

    ActionJournal(Connection& db, const int& currentUserId, Clock clock = {})
        : m_db(db), m_userId(currentUserId), m_clock(std::move(clock)) {}

    // One line: table name (may be empty), action text, subscriber id or 0, document id or 0.
    // A failing statement throws DbError; the action itself has been carried out already.
    void HistZap(const QString& table, const QString& action, int clientId, int docId);

private:
    Connection& m_db;
    const int& m_userId;
    Clock m_clock;
};

// The journal's texts, written exactly so (spelling included).
namespace JournalText {

inline QString login() {
    return QStringLiteral("Произведен вход в программу");
}
inline QString exit() {
    return QStringLiteral("Произведен выход из программы");
}
inline QString newClientStarted(int idc) {
    return QStringLiteral("Начат ввод нового абонента IDC=") + QString::number(idc);
}
inline QString clientDeleted() {
    return QStringLiteral("УДАЛЕН АБОНЕНТ!");
}
inline QString tariffChanged() {
    return QStringLiteral("Произведена смена тарифа");
}
// tipz: "isk" or empty
inline QString exclusionChanged(const QString& tipz) {
    return QStringLiteral("Вкл/Искл в/из начисления, TIPZ=") + u'"' + tipz + u'"';
}
inline QString areaChanged(int uch) {
    return QStringLiteral("Изменен участок, UCH=") + QString::number(uch);
}
inline QString addressesChanged(int userId) {
    return QStringLiteral("Массовое изменение адресов USR= ") + QString::number(userId);
}
inline QString clientChanged() {
    return QStringLiteral("Изменены даные абонента");
}
inline QString newClientCancelled() {
    return QStringLiteral("Отменен ввод нового абонента");
}
inline QString newHolderStarted() {
    return QStringLiteral("Начат ввод новго льготника");
}
inline QString holderAdded(int idl) {
    return QStringLiteral("Введен новый льготник IDL=") + QString::number(idl);
}
inline QString holderChanged(int idl) {
    return QStringLiteral("Изменены параметры льготника IDL=") + QString::number(idl);
}
inline QString chargeDocSaved(const QString& number) {
    return QStringLiteral("Введен/изменен документ начисления № ") + number;
}
inline QString chargeDocAdded(const QString& period) {
    return QStringLiteral("Добавлены данные в док. начисления за ") + period;
}
inline QString chargeLinesSaved(const QString& number) {
    return QStringLiteral("Введены данные документа начисления № ") + number;
}
inline QString chargeLinesAdded(const QString& period) {
    return QStringLiteral("Введены (добавка) данные документа начисления за ") + period;
}
inline QString correctionDocSaved(const QString& number) {
    return QStringLiteral("Введен/изменен документ коррект. № ") + number;
}
inline QString correctionLinesSaved(const QString& number) {
    return QStringLiteral("Введены данные документа коррект. № ") + number;
}
inline QString paymentDocSaved(const QString& number) {
    return QStringLiteral("Введен/изменен документ оплаты № ") + number;
}
inline QString paymentLinesSaved(const QString& number) {
    return QStringLiteral("Введены данные документа оплаты № ") + number;
}
inline QString documentDeleted(const QString& type, const QString& number, const QString& date) {
    return QStringLiteral("Удален документ! TIPDOK=") + type + QStringLiteral(", NOMDOK=") +
           number + QStringLiteral(", DATADOK=") + date;
}
inline QString documentValuesDeleted() {
    return QStringLiteral("Удалены значения по документу");
}
inline QString periodChanged(const QString& period) {
    return QStringLiteral("Переход на период") + period;
}
inline QString userAdded(int id) {
    return QStringLiteral("Введен новый пользователь IDUSR=") + QString::number(id);
}
inline QString userDeleted(int id) {
    return QStringLiteral("Удален пользователь IDUSR=") + QString::number(id);
}

} // namespace JournalText
