#include "app/card.h"

#include "app/clients.h"
#include "common/dates.h"
#include "db/journal.h"
#include "db/sqltext.h"
#include "db/transaction.h"

using namespace Qt::StringLiterals;

namespace Card {

namespace {
Money sumOf(Connection& db, const QString& sql, const char* column) {
    const ResultSet r = db.query(sql);
    const int c = r.columnIndex(QLatin1String(column));
    Money sum;
    for (int row = 0; c >= 0 && row < r.rowCount; ++row)
        sum += r.at(row, c).toMoney();
    return sum;
}

QDate dateOf(const Value& v) {
    const QDateTime t = v.toDateTime();
    return t.isValid() ? t.date() : QDate();
}
} // namespace

Data load(AppContext& app, int clientId) {
    Connection& db = app.db();
    const ResultSet r =
        db.query(QStringLiteral("select * from Client where IDC=") + QString::number(clientId));
    Data d;
    auto text = [&](const char* column) {
        const int i = r.columnIndex(QLatin1String(column));
        return i >= 0 && r.rowCount ? r.at(0, i) : Value();
    };
    d.LS = text("LS").toText();
    d.FIO = text("FIO").toText();
    d.DOM = text("DOM").toText();
    d.KORP = text("KORP").toText();
    d.KVART = text("KVART").toText();
    d.ZIP = text("ZIP").toText();
    d.PAS_S = text("PAS_S").toText();
    d.PAS_N = text("PAS_N").toText();
    d.PAS_K = text("PAS_K").toText();
    d.PAS_D = dateOf(text("PAS_D"));
    d.DATA_ROZHD = dateOf(text("DATA_ROZHD"));
    d.KOL = text("KOL").toText();
    d.OB_PL = text("OB_PL").toText();
    d.ZH_PL = text("ZH_PL").toText();
    d.UCH = int(text("UCH").toInteger());
    d.RG = int(text("RG").toInteger());
    d.GD = int(text("GD").toInteger());
    d.RN = int(text("RN").toInteger());
    d.NP = int(text("NP").toInteger());
    d.ST = int(text("ST").toInteger());
    d.excluded = Clients::isExcluded(text("TIPZ").toText());
    for (const TVidUslugi& s : app.state.ShownServices) {
        QString tariff = QStringLiteral("0,0");
        const ResultSet t =
            db.query(QStringLiteral("select TARIF from Tarif") + QString::number(s.IDUSL) +
                     QStringLiteral(" where (CLIENT=") + QString::number(clientId) + u')');
        for (int row = 0; row < t.rowCount; ++row)
            tariff = t.at(row, 0).toMoney().toText(); // the last row wins
        d.tariffs.push_back(tariff);
    }
    return d;
}

std::vector<Figures> figures(AppContext& app, int clientId, Money* totalDebt) {
    Connection& db = app.db();
    const QString client = QString::number(clientId);
    const QString period = SqlText::quoted(app.state.CurrentPeriod);
    std::vector<Figures> out;
    Money total;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        Figures f;
        f.KRATKO = s.KRATKO;
        const QString temp = QStringLiteral("select NACH, LGOT, ITOG from TEMP") + n +
                             QStringLiteral(" where  (CLIENT=") + client + u')';
        f.charged = sumOf(db, temp, "NACH");
        f.benefits = sumOf(db, temp, "LGOT");
        f.total = sumOf(db, temp, "ITOG");
        f.corrections = sumOf(db,
                              QStringLiteral("select KORR from Korrekt") + n +
                                  QStringLiteral(" where ((CLIENT=") + client +
                                  QStringLiteral(") and (PERIOD=") + period + QStringLiteral("))"),
                              "KORR");
        f.total += f.corrections;
        f.opening = sumOf(db,
                          QStringLiteral("select SUMMA from Dolg") + n +
                              QStringLiteral(" where  (CLIENT=") + client + u')',
                          "SUMMA");
        f.paid =
            sumOf(db,
                  QStringLiteral("select * from Oplata") + n + QStringLiteral(" where ((CLIENT=") +
                      client + QStringLiteral(") and (PERIOD=") + period + QStringLiteral("))"),
                  "OPLATA");
        f.toPay = f.opening + f.total - f.paid;
        total += f.toPay;
        out.push_back(f);
    }
    if (totalDebt)
        *totalDebt = total;
    return out;
}

int benefitHolders(AppContext& app, int clientId) {
    const ResultSet r =
        app.db().query(QStringLiteral("SELECT Count (*) from Lgoty WHERE Lgoty.CLIENT=") +
                       QString::number(clientId));
    return r.rowCount ? int(r.at(0, 0).toInteger()) : 0;
}

QString saveProblem(const AppContext& app, const Data& d) {
    if (!Clients::addressComplete(d.GD, d.NP, d.ST))
        return QStringLiteral("Адресные данные заполнены не полностью!");
    for (size_t i = 0; i < app.state.ShownServices.size() && i < d.tariffs.size(); ++i)
        if (QString p = Clients::tariffProblem(app.state.ShownServices[i], d.tariffs[i]);
            !p.isEmpty())
            return p;
    return {};
}

QString updateStatement(const AppContext& app, int clientId, const Data& data) {
    Data d = data;
    for (QString* number : {&d.KOL, &d.OB_PL, &d.ZH_PL, &d.ZIP})
        if (number->isEmpty())
            *number = QStringLiteral("0");
    if (d.LS.isEmpty())
        d.LS = Clients::defaultAccount(clientId);
    const auto q = [](const QString& t) { return SqlText::quoted(t); };
    QString s = QStringLiteral("update Client set ") + QStringLiteral(" LS= ") + q(d.LS) +
                QStringLiteral(", FIO= ") + q(d.FIO) + QStringLiteral(", DOM= ") + q(d.DOM) +
                QStringLiteral(", KORP= ") + q(d.KORP) + QStringLiteral(", KVART= ") + q(d.KVART) +
                QStringLiteral(", PAS_S= ") + q(d.PAS_S) + QStringLiteral(", PAS_N= ") +
                q(d.PAS_N) + QStringLiteral(", PAS_K= ") + q(d.PAS_K) + QStringLiteral(", KOL= ") +
                q(d.KOL) + QStringLiteral(", OB_PL= ") + q(d.OB_PL) + QStringLiteral(", ZH_PL= ") +
                q(d.ZH_PL) + QStringLiteral(", ZIP= ") + q(d.ZIP);
    if (d.DATA_ROZHD.isValid())
        s += QStringLiteral(", DATA_ROZHD = ") + q(Dates::shortDate(d.DATA_ROZHD));
    if (d.PAS_D.isValid() && d.PAS_D > QDate(1899, 12, 31))
        s += QStringLiteral(", PAS_D = ") + q(Dates::shortDate(d.PAS_D)) + QStringLiteral(" ,");
    else
        s += QStringLiteral(", ");
    s += QStringLiteral(" RG = ") + QString::number(d.RG) + QStringLiteral(" , GD = ") +
         QString::number(d.GD) + QStringLiteral(" , RN = ") + QString::number(d.RN) +
         QStringLiteral(" , NP = ") + QString::number(d.NP) + QStringLiteral(" , ST = ") +
         QString::number(d.ST) + QStringLiteral(" , UCH = ") + QString::number(d.UCH) +
         QStringLiteral(" , USR= ") + QString::number(app.CurrentUserId);
    s += d.excluded ? QStringLiteral(" , TIPZ=\"isk\"") : QStringLiteral(" , TIPZ=\"\"");
    s += QStringLiteral(" where IDC=") + QString::number(clientId);
    return s;
}

QString save(AppContext& app, int clientId, Data data) {
    if (QString problem = saveProblem(app, data); !problem.isEmpty())
        return problem;
    Connection& db = app.db();
    Transaction tx(db);
    db.execute(updateStatement(app, clientId, data));
    for (size_t i = 0; i < app.state.ShownServices.size() && i < data.tariffs.size(); ++i)
        Clients::replaceTariff(db, app.state.ShownServices[i].IDUSL, clientId, data.tariffs[i]);
    app.journal().HistZap(QStringLiteral("Client"), JournalText::clientChanged(), clientId, 0);
    tx.commit();
    emit app.changes.subscribersChanged(clientId);
    return {};
}

} // namespace Card
