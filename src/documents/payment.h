#pragma once

#include "documents/document.h"

class Prompter;

// A payment document: lines of money received, one subscriber and service each, written to
// Oplata<n> of the line's service in the period of the document's date. One transaction: on an
// error nothing of it stays.

// TVidOpl: a payment method shown in the window (VidOpl rows with VIZ "1").
struct TVidOpl {
    QString NOM;
    QString NAME;
};
std::vector<TVidOpl> paymentMethods(Connection& db);

// TOplataInfo.
struct PaymentLine {
    QString account, name, address;
    int subscriber = 0;
    Money amount;
    bool amountEntered = false; // "Внести" was pressed (or the line was loaded)
    int method = 0;
    int service = 0; // IDUSL; 0: none chosen
    QString receipt;
};
// KVITANS holds so many characters.
inline constexpr int ReceiptLength = 10;

struct PaymentInput {
    DocumentHeader header;
    std::vector<PaymentLine> lines;
};
// What is wrong with a line (empty when nothing); k counts from 1.
QString paymentLineProblem(const AppContext& app, const PaymentLine& line, int k);
// Saves the document. With no line nothing happens (an empty refusal and no document).
SaveResult pay(AppContext& app, const PaymentInput& input);
// The document's date lies outside the current period: ask whether to recalculate the payers'
// balances.
bool paymentAsksRecalc(const AppContext& app, const DocumentHeader& header);
// Recalculates the balance of every line's subscriber in order, the line's number in the caption
// ("Производится перерасчет сальдо...  № k").
void recalcPayers(AppContext& app, const std::vector<PaymentLine>& lines, Progress* progress);

// ObschSumm: the sum of the lines' amounts.
Money paymentTotal(const std::vector<PaymentLine>& lines);

struct StoredPayment {
    DocumentHeader header;
    std::vector<PaymentLine> lines;
    QString ListSql;
};
StoredPayment loadPayment(AppContext& app, int docId);
