#pragma once

#include "app/appcontext.h"

#include <QDate>
#include <QString>
#include <vector>

// The document journal's data: the tree of document dates (years, months, days), the filters of
// its nodes and tabs, the list's statements, deletion of a document and the receipt search.

// A node of the date tree: "Все документы", a year "2024", a month "01.2024" or a day
// "15.01.2024" (recognised by the length of the text).
struct JournalNode {
    QString text;
    std::vector<JournalNode> children;
};
inline const QString JournalRoot = QStringLiteral("Все документы");
// The distinct document dates, ascending.
std::vector<QDate> documentDates(Connection& db);
JournalNode journalTree(const std::vector<QDate>& dates);

// The type tabs: 0 every document, 1 charges, 2 corrections, 3 payments.
inline const QStringList JournalTabs = {QStringLiteral("Все документы"),
                                        QStringLiteral("Начисление"),
                                        QStringLiteral("Корректировка"), QStringLiteral("Оплата")};
// The type's name as the list draws it ("1" → "Начисление"); other texts as they are.
QString documentTypeName(const QString& tipdok);

// The filter of a node and tab (" where …", or empty for the root and every type).
QString journalFilter(const QString& node, int tab);
QString journalListSql(const QString& filter);
QString journalFullRowSql(const QString& filter);

namespace DocJournalText {
inline const QString DeleteQuestion =
    QStringLiteral("Вы действительно хотите удалить данный документ? Ваши действия записываются!");
inline const QString DocumentOpen =
    QStringLiteral("У Вас уже открыт документ! Решите что делать с ним!");
inline const QString NothingFound = QStringLiteral("Чего-то, ничего не найдено...");
} // namespace DocJournalText

// Deletes a document's header and its lines in every shown service's table, with the journal
// lines, and rebuilds the snapshot — all or nothing. False when there is no such document.
bool deleteDocument(AppContext& app, int docId);

// The payment document holding a receipt number (the first found, services in order), 0 when none.
int findReceipt(AppContext& app, const QString& receipt);
