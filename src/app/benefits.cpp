#include "app/benefits.h"

#include "common/dates.h"
#include "db/journal.h"
#include "db/sqltext.h"
#include "db/transaction.h"

namespace Benefits {

namespace {

struct Piece {
    QString column, value, update;
};

// The columns a holder writes, in their order; a column whose condition fails writes nothing.
std::vector<Piece> pieces(const Holder& h, QDate today) {
    std::vector<Piece> out;
    const auto text = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            out.push_back(
                {QStringLiteral(" , ") + QLatin1String(name),
                 QStringLiteral(" , ") + SqlText::quoted(value),
                 QStringLiteral(" ,") + QLatin1String(name) + u'=' + SqlText::quoted(value)});
    };
    const QString kind = QString::number(h.kind);
    out.push_back({QStringLiteral(" , LGOTA"), QStringLiteral(" , ") + kind,
                   QStringLiteral(" ,LGOTA=") + kind});
    text("FIO_LG", h.FIO_LG);
    if (!h.KOL_LG.isEmpty())
        out.push_back({QStringLiteral(" , KOL_LG"), QStringLiteral(" , ") + h.KOL_LG,
                       QStringLiteral(" ,KOL_LG=") + h.KOL_LG});
    text("OBOSN", h.OBOSN);
    text("DOK_S", h.DOK_S);
    text("DOK_N", h.DOK_N);
    text("DOK_K", h.DOK_K);
    if (h.DOK_D.isValid() && today > h.DOK_D)
        text("DOK_D", Dates::shortDate(h.DOK_D));
    const QString end = h.unlimited ? QStringLiteral("31.12.2999") : Dates::shortDate(h.DATA_OKON);
    const auto always = [&](const char* name, const char* insertName, const QString& value) {
        out.push_back({QLatin1String(insertName), QStringLiteral(" , ") + SqlText::quoted(value),
                       QStringLiteral(" ,") + QLatin1String(name) + u'=' + SqlText::quoted(value)});
    };
    always("DATA_OKON", " , DATA_OKON", end);
    always("PRCNT", " ,PRCNT", h.percent.toText());
    always("DATA_NACH", " , DATA_NACH", Dates::shortDate(h.DATA_NACH));
    always("BESSROCH", " , BESSROCH", h.unlimited ? QStringLiteral("1") : QStringLiteral("0"));
    always("BEZ_OKON", " , BEZ_OKON", h.ignoreEnd ? QStringLiteral("1") : QStringLiteral("0"));
    return out;
}

QDate dateOr(const Value& v, QDate fallback) {
    const QDateTime t = v.toDateTime();
    return t.isValid() && t.date() > QDate(1899, 12, 31) ? t.date() : fallback;
}

} // namespace

std::vector<Kind> kinds(AppContext& app) {
    const ResultSet r = app.db().query(QStringLiteral("select * from LgtSpr"));
    const int id = r.columnIndex(u"IDLG"), name = r.columnIndex(u"NAME"),
              proc = r.columnIndex(u"PROC"), type = r.columnIndex(u"TIPLG");
    std::vector<Kind> out;
    for (int row = 0; row < r.rowCount; ++row)
        out.push_back({int(r.at(row, id).toInteger()), r.at(row, name).toText(),
                       r.at(row, proc).toMoney(), int(r.at(row, type).toInteger())});
    return out;
}

QString listSql(int clientId) {
    return QStringLiteral("SELECT Lgoty.IDL, Lgoty.FIO_LG as Льготник, LgtSpr.NAME as Вид_льготы, "
                          "Lgoty.TIPZ FROM LgtSpr INNER JOIN Lgoty ON LgtSpr.IDLG = Lgoty.LGOTA "
                          "WHERE Lgoty.CLIENT=") +
           QString::number(clientId) + QStringLiteral(" order by Lgoty.IDL");
}

std::optional<Holder> load(AppContext& app, int idl, QDate today) {
    const ResultSet r =
        app.db().query(QStringLiteral("select * from Lgoty where IDL=") + QString::number(idl));
    if (r.rowCount == 0)
        return std::nullopt;
    auto v = [&](const char* name) {
        const int c = r.columnIndex(QLatin1String(name));
        return c >= 0 ? r.at(0, c) : Value();
    };
    Holder h;
    h.kind = int(v("LGOTA").toInteger());
    h.percent = v("PRCNT").toMoney();
    h.FIO_LG = v("FIO_LG").toText();
    h.KOL_LG = QString::number(v("KOL_LG").toInteger());
    h.OBOSN = v("OBOSN").toText();
    h.DOK_S = v("DOK_S").toText();
    h.DOK_N = v("DOK_N").toText();
    h.DOK_K = v("DOK_K").toText();
    h.DATA_NACH = dateOr(v("DATA_NACH"), today);
    h.DOK_D = dateOr(v("DOK_D"), today);
    h.unlimited = v("BESSROCH").toInteger() == 1;
    h.DATA_OKON = h.unlimited ? today : dateOr(v("DATA_OKON"), today);
    h.ignoreEnd = v("BEZ_OKON").toText() == u"1";
    return h;
}

QString insertStatement(int clientId, const Holder& h, int idl, QDate today) {
    QString columns, values;
    for (const Piece& p : pieces(h, today)) {
        columns += p.column;
        values += p.value;
    }
    return QStringLiteral("insert into Lgoty ") + QStringLiteral("(CLIENT") + columns +
           QStringLiteral(" ,IDL) ") + QStringLiteral(" values ( ") + QString::number(clientId) +
           values + QStringLiteral(" ,") + QString::number(idl) + u')';
}

QString updateStatement(int clientId, const Holder& h, int idl, QDate today) {
    QString s = QStringLiteral("update Lgoty set ") + QStringLiteral(" CLIENT=") +
                QString::number(clientId);
    for (const Piece& p : pieces(h, today))
        s += p.update;
    return s + QStringLiteral(" where IDL=") + QString::number(idl);
}

Saved save(AppContext& app, int clientId, const Holder& h, std::optional<int> idl, QDate today) {
    if (h.kind == 0)
        return {QStringLiteral("Вы не указали льготу!!!"), 0};
    bool number = h.KOL_LG.isEmpty();
    if (!number)
        h.KOL_LG.toInt(&number);
    if (!number)
        return {QStringLiteral("«Льготных человек» — «%1» — не число. Введите число людей цифрами.")
                    .arg(h.KOL_LG),
                0};
    Connection& db = app.db();
    Transaction tx(db);
    Saved saved;
    if (idl) {
        saved.idl = *idl;
        db.execute(updateStatement(clientId, h, *idl, today));
        app.journal().HistZap(QStringLiteral("Lgoty"), JournalText::holderChanged(*idl), clientId,
                              0);
    } else {
        const ResultSet max = db.query(QStringLiteral("select MAX(IDL) from Lgoty"));
        saved.idl = int((max.rowCount ? max.at(0, 0).toInteger() : 0) + 1);
        db.execute(insertStatement(clientId, h, saved.idl, today));
        app.journal().HistZap(QStringLiteral("Lgoty"), JournalText::holderAdded(saved.idl),
                              clientId, 0);
    }
    tx.commit();
    emit app.changes.benefitsChanged(clientId);
    return saved;
}

} // namespace Benefits
