#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "common/period.h"
#include "db/connection.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A fresh database in a temporary folder, made by the program's own schema code.
struct TempDatabase {
    QTemporaryDir dir;
    QString path;
    AppContext app;

    // withSeed: the seed of a new office (period 03.2024, four services) and its per-service
    // tables; without it only the fixed tables.
    explicit TempDatabase(bool withSeed = true, Period period = Period(3, 2024));
    Connection& db() { return app.db(); }
    // The first column of every row as text, "|"-joined per row when there are more columns.
    QStringList rows(const QString& sql);
    // A small office: two regions, a city and a settlement with streets, two areas and four
    // subscribers (101 and 102 in the settlement, 102 excluded; 103 in the city with a quote in
    // its name; 104 without a street, so no selection lists it), and a balance of 101.
    void addSmallOffice();
    QString scalar(const QString& sql);
};

// Answers questions from a script and records everything shown; an error nobody expected fails
// the test at its end (check with errors()).
class ScriptedPrompter : public Prompter {
public:
    QList<bool> answers;
    QStringList asked, notices, warnings, errors;
    int expectedErrors = 0; // an error beyond these fails the test at once

    bool ask(const QString& caption, const QString& text) override;
    void notify(const QString& text) override { notices << text; }
    void warn(const QString& text) override { warnings << text; }
    void error(const QString& text) override;
};

#include "documents/selection.h"
Q_DECLARE_METATYPE(SelectionCriteria)
Q_DECLARE_METATYPE(AddressIds)

#include "documents/payment.h"

// A payment line as "Внести" leaves it: subscriber, account, service and amount entered.
PaymentLine enteredPayment(int client, const QString& account, int service, Money amount,
                           int method = 0, const QString& receipt = {});
