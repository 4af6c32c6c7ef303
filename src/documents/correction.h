#pragma once

#include "documents/document.h"

// A correction document: per line a subscriber, a kind and a value, and for three of the kinds a
// range of past periods; saving stores in Korrekt<n> of the corrected service the difference
// between what the range should have been charged and what its charge lines say. One
// transaction: on an error nothing of it stays.
enum class CorrectionKind { Tariff = 1, Amount = 2, Residents = 3, Current = 4 };

struct CorrectionKindInfo {
    CorrectionKind kind;
    QString button; // the radio button
    QString name;   // in the list
    QString label;  // of the value box (empty: the box is hidden)
    bool range;     // the range pickers are shown
};
const std::vector<CorrectionKindInfo>& correctionKinds();
const CorrectionKindInfo& correctionKind(CorrectionKind kind);

// TKorrInfo.
struct CorrectionLine {
    QString account, name, address;
    int subscriber = 0;
    qint64 residents = 0;
    Money livingArea, totalArea;
    Money tariff; // informative: the save reads the corrected service's current tariff
    Money value;
    QDate start, end;
    Money amount;        // KORR of a stored line
    bool stored = false; // loaded from a stored document (its amount is known)
    CorrectionKind kind = CorrectionKind::Amount;
};

namespace DocText {
inline const QString RangeTouchesPeriod =
    QStringLiteral("Одна из дат корректирки совпадает с текущим периодом, что неразумно!");
}
// A line's settings the panel refuses to store: a range touching the current period.
bool rangeTouchesPeriod(CorrectionKind kind, QDate start, QDate end, const QString& period);

struct CorrectionInput {
    DocumentHeader header;
    int service = 0; // IDUSL
    std::vector<CorrectionLine> lines;
};
SaveResult correct(AppContext& app, const CorrectionInput& input);

// The stored correction document as the window shows it again.
struct StoredCorrection {
    DocumentHeader header;
    int service = 0;
    std::vector<CorrectionLine> lines;
    QString ListSql;
};
StoredCorrection loadCorrection(AppContext& app, int docId);
