#pragma once

#include "documents/correction.h"
#include "documents/payment.h"

// Documents read from files an office prepares (UTF-8, one line per row, fields separated by
// TAB; empty lines are skipped). The whole file is checked before anything is written: a bad
// line gives a message naming the line number and the field.

// account, service (IDUSL), amount (decimal comma or point), method (VidOpl.NOM), receipt
// (may be empty).
struct PaymentFile {
    std::vector<PaymentLine> lines;
    QString problem;
};
PaymentFile readPaymentFile(AppContext& app, const QString& text);

// account, kind (1–4), value, start, end (dd.mm.yyyy; empty for kind 2).
struct CorrectionFile {
    std::vector<CorrectionLine> lines;
    QString problem;
};
CorrectionFile readCorrectionFile(AppContext& app, const QString& text);

// The user documents are attributed to when none is named: the first user with rights level 3
// (0 when there is none).
int defaultDocumentUser(Connection& db);
