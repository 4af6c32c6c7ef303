#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "common/money.h"
#include "common/period.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

class Connection;
class ResultSet;

// The three kinds of document: their Dokum.TIPDOK, captions and line tables.
enum class DocType { Charge = 1, Correction = 2, Payment = 3 };

namespace DocCaption {
// The header caption left of the number box: the window's record of the document's type.
QString header(DocType type);
// The save button.
QString save(DocType type);
} // namespace DocCaption

QString typeCode(DocType type); // "1", "2", "3"

// The id and number a new document of the type is offered (max + 1; an empty table gives 1).
struct NewDocument {
    int id = 0;
    int number = 0;
};
NewDocument newDocument(Connection& db, DocType type);

// The header the operator filled in the document window.
struct DocumentHeader {
    int id = 0;          // IDDOK of the stored document; for a new one the id offered
    bool stored = false; // loaded from the journal: saved again under its id
    QString number;      // the number box as typed
    QDate date;
    QString note;
};

// What a save did, or why it did nothing.
struct SaveResult {
    QString refusal;         // not empty: nothing was written; what to tell the operator
    bool warning = false;    // the refusal is shown under "ВНИМАНИЕ!!!"
    int docId = 0;           // the document written (the window's current document afterwards)
    int number = 0;          // the number it was stored under
    bool renumbered = false; // another document had taken the number shown
    Money total;
    int lines = 0;
    bool ok() const { return refusal.isEmpty(); }
};

namespace DocText {
inline const QString NoSubscribers = QStringLiteral("Нет ни одного абонента!!!");
inline const QString DateOutsidePeriod =
    QStringLiteral("Дата документа не попадает в текущий период!!! Сохранение невозможно!!!");
inline const QString RecalcQuestion =
    QStringLiteral("Дата документа не попадает в текущий период!!! Произвести перерасчет сальдо?");
QString renumbered(int shown, int stored);
} // namespace DocText

// Whether the date lies in the current period's month of that year.
bool inCurrentPeriod(QDate date, const QString& currentPeriod);

// The type of a stored document (Dokum.TIPDOK; anything but "1" and "2" is a payment). Throws
// DbError when the document is gone.
DocType storedDocumentType(Connection& db, int docId);
// The header of a stored document (id, number, date, note); stored is set.
DocumentHeader readHeader(Connection& db, int docId);
// The selection's document form restricted to the given ids ("1, 2, 3"): the subscribers of a
// stored document in the window's grid.
QString storedDocumentListSql(const std::vector<TVidUslugi>& services, const QString& ids);

// What is wrong with the header before anything is written (empty when nothing).
QString headerProblem(const DocumentHeader& header);
// The refusal of a charge or correction header: a date outside the current period (a warning),
// or what headerProblem finds; ok() when there is none.
SaveResult refuseHeader(const DocumentHeader& header, const QString& currentPeriod);

// Inside the writing transaction: the id and the number the document is stored under. A new
// document takes the next free id; a number another document of the type already has is
// replaced by the next free one.
struct StoredHeader {
    int id = 0;
    int number = 0;
    bool renumbered = false;
};
StoredHeader claimHeader(Connection& db, DocType type, const DocumentHeader& header);
// After the commit: the result of a document written under the header, announced to the windows.
SaveResult savedDocument(AppContext& app, const StoredHeader& header, Money total, int lines);

// A subscriber row of the selection in its document form.
struct DocumentRow {
    int IDC = 0;
    QString LS, FIO, TIPZ;
    qint64 KOL = 0;
    Money OB_PL, ZH_PL;
    QHash<int, Money> tariffs; // per service id; missing: none
    // The quantity a service is charged by (its OSNOVA: KOL, OB_PL or ZH_PL).
    Money quantity(const QString& osnova) const;
};
std::vector<DocumentRow> documentRows(const ResultSet& grid);
// Whether a service's OSNOVA names a quantity the selection carries.
bool knownBase(const QString& osnova);

// The composed address of a subscriber as the documents show it.
QString composeAddress(const QString& city, const QString& district, const QString& settlement,
                       const QString& street, const QString& house, const QString& building,
                       const QString& apartment);
QString composedAddress(Connection& db, int clientId);
// The same from a row that carries the parts as Гор, Рай, НП, Ул, Дом, Корп and Кв.
QString composeAddress(const ResultSet& rows, int row);

// A benefit holder's row as the charge and the correction read it.
struct BenefitRow {
    QDateTime start, end; // invalid when empty
    bool ignoreEnd = false;
    qint64 persons = 0;
    Money percent;
    // Applies in the period: started before its 2nd day and ends after it (or ignores its end).
    bool appliesIn(Period period) const;
};
std::vector<BenefitRow> benefitRows(const ResultSet& rows);
// −(percent × amount × persons) / 100, rounded to four decimals, then to two away from zero.
Money benefitDeduction(Money percent, Money amount, qint64 persons);
// Persons a row grants when `counted` of `residents` are granted already (counted grows).
qint64 grantedPersons(qint64 rowPersons, qint64 residents, qint64& counted);

// The service of ShownServices with the id, or null.
const TVidUslugi* shownService(const AppContext& app, int serviceId);
