#include "documents/selection.h"

#include "db/connection.h"
#include "db/sqltext.h"

#include <QStringList>

namespace {

const QString PlainHead = QStringLiteral(
    "SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, NasPunkt.NAME as "
    "Нас_пункт, Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, Client.KVART as "
    "Квартира");
const QString ChargeColumns = QStringLiteral(", KOL, OB_PL, ZH_PL");

QString condition(const char* column, const QString& op, const QString& value) {
    return QStringLiteral("((Client.") + QLatin1String(column) + u')' + op + value + u')';
}

} // namespace

SelectionStatement buildSelection(const SelectionCriteria& c, bool plainMode,
                                  const std::vector<TVidUslugi>& services) {
    QString columns, opening, joins;
    for (const TVidUslugi& s : services) {
        const QString n = QString::number(s.IDUSL);
        if (plainMode) {
            columns += QStringLiteral(", [Dolg") + n + QStringLiteral("].[SUMMA] AS ") +
                       SqlText::singleQuoted(s.KRATKO);
            opening += u'(';
            joins += QStringLiteral(") LEFT JOIN Dolg") + n +
                     QStringLiteral(" ON Client.IDC=Dolg") + n + QStringLiteral(".CLIENT");
        } else {
            columns += QStringLiteral(", [Dolg") + n + QStringLiteral("].[SUMMA] AS Dolg") + n +
                       QStringLiteral(", [Tarif") + n + QStringLiteral("].[TARIF] AS Tarif") + n;
            opening += QStringLiteral("((");
            joins += QStringLiteral(") LEFT JOIN Dolg") + n +
                     QStringLiteral(" ON Client.IDC=Dolg") + n + QStringLiteral(".CLIENT") +
                     QStringLiteral(") LEFT JOIN Tarif") + n +
                     QStringLiteral(" ON Client.IDC=Tarif") + n + QStringLiteral(".CLIENT");
        }
    }
    const QString head = plainMode ? PlainHead : PlainHead + ChargeColumns;
    const QString cityHead = QString(head).replace(QStringLiteral("NasPunkt.NAME as Нас_пункт"),
                                                   QStringLiteral("Gorod.NAME as Город"));
    const QString cityForm =
        cityHead + columns + QStringLiteral(", Client.IDC, Client.TIPZ ") +
        QStringLiteral("FROM ") + opening +
        QStringLiteral("(Street INNER JOIN Client ON Street.ID = Client.ST) INNER JOIN Gorod ON "
                       "Client.GD = Gorod.ID ") +
        joins;

    SelectionStatement out;
    out.ListSql = head + columns + QStringLiteral(" , Client.IDC, Client.TIPZ ") +
                  QStringLiteral("FROM ") + opening +
                  QStringLiteral(" Street INNER JOIN (Rajon INNER JOIN (NasPunkt INNER JOIN Client "
                                 "ON NasPunkt.ID = Client.NP) ON Rajon.ID = Client.RN) ON "
                                 "Street.ID = Client.ST ") +
                  joins + u' ';

    QStringList conditions;
    const QString eq = QStringLiteral("= ");
    if (!c.account.isEmpty())
        conditions << condition("LS", eq, SqlText::quoted(c.account));
    if (!c.name.isEmpty())
        conditions << condition("FIO", QStringLiteral(" like  "),
                                SqlText::quoted(u'%' + c.name + u'%'));
    if (!c.house.isEmpty()) {
        const qsizetype hyphen = c.house.indexOf(u'-');
        if (hyphen >= 0)
            conditions << condition("DOM", QStringLiteral(" BETWEEN "),
                                    SqlText::quoted(c.house.left(hyphen)) +
                                        QStringLiteral(" and ") +
                                        SqlText::quoted(c.house.mid(hyphen + 1)));
        else
            conditions << condition("DOM", eq, SqlText::quoted(c.house));
    }
    if (!c.building.isEmpty())
        conditions << condition("KORP", eq, SqlText::quoted(c.building));
    if (!c.apartment.isEmpty() && !c.hasApartment)
        conditions << condition("KVART", eq, SqlText::quoted(c.apartment));
    if (c.hasApartment)
        conditions << QStringLiteral("((Client.KVART)>\"\")");
    auto idCondition = [&](const char* column, const std::optional<int>& id) {
        if (id)
            conditions << condition(column, eq, QString::number(*id));
    };
    idCondition("RG", c.region);
    if (c.city) {
        idCondition("GD", c.city);
        out.ListSql = cityForm + u' ';
    }
    idCondition("RN", c.district);
    idCondition("NP", c.settlement);
    idCondition("ST", c.street);
    idCondition("UCH", c.area);

    if (!conditions.isEmpty())
        out.SelectionFilter =
            QStringLiteral("WHERE (") + conditions.join(QStringLiteral(" and ")) + u')';
    out.ListSql += out.SelectionFilter;
    // without a city chosen the subscribers of cities are selected too, with criteria as without
    // them: the settlement form's inner joins never reach them
    if (conditions.isEmpty())
        out.ListSql += QStringLiteral(" union ") + cityForm;
    else if (!c.city)
        out.ListSql += QStringLiteral(" union ") + cityForm + u' ' + out.SelectionFilter;
    return out;
}

SelectionResult countSelection(Connection& db, const SelectionStatement& selection) {
    SelectionResult r;
    r.count = db.query(SelectionSql::count(selection.SelectionFilter)).at(0, 0).toInteger();
    const ResultSet sum = db.query(SelectionSql::residents(selection.SelectionFilter));
    r.residents = sum.rowCount ? sum.at(0, 0).toInteger() : 0;
    return r;
}

SelectionResult runSelection(Connection& db, const SelectionStatement& selection) {
    SelectionResult r = countSelection(db, selection);
    r.list = db.query(selection.ListSql);
    return r;
}

QString selectionCaption(const QString& programTitle, const SelectionResult& r) {
    return programTitle + QStringLiteral("     Выбрано ") + QString::number(r.count) +
           QStringLiteral(" абонетов (Жильцов: ") + QString::number(r.residents) +
           QStringLiteral(" чел.)");
}

bool isHiddenListColumn(const QString& name) {
    return name.compare(u"IDC", Qt::CaseInsensitive) == 0 ||
           name.compare(u"TIPZ", Qt::CaseInsensitive) == 0;
}

int listColumnWidth(int column, int columns) {
    // 60, 240, 120, 120, then 60 up to column 9; IDC and TIPZ (the last two) are never visible;
    // the others keep the grid's default
    if (column >= columns - 2)
        return 0;
    static const int widths[] = {60, 240, 120, 120, 60, 60, 60, 60, 60, 60};
    return column < 10 ? widths[column] : ListDefaultColumnWidth;
}

namespace SelectionSql {

QString sorted(const QString& listSql, const QString& column) {
    return QStringLiteral("select * from (") + listSql + QStringLiteral(") order by ") + column;
}
QString iteration(const QString& filter) {
    return QStringLiteral("select * from Client ") + filter;
}
QString count(const QString& filter) {
    return QStringLiteral("select Count(*) from Client ") + filter;
}
QString residents(const QString& filter) {
    return QStringLiteral("select SUM(KOL) from Client ") + filter;
}
QString added(const QString& gridSql, const QString& listSql) {
    return gridSql + QStringLiteral("\n union all ") + listSql;
}
QString removed(const QString& gridSql, const QString& filter) {
    return QStringLiteral("select * from (") + gridSql + u')' +
           QStringLiteral(" where client.idc not in (select idc from Client ") + filter + u')';
}

} // namespace SelectionSql

int& AddressIds::of(AddressLevel level) {
    switch (level) {
    case AddressLevel::Region:
        return region;
    case AddressLevel::City:
        return city;
    case AddressLevel::District:
        return district;
    case AddressLevel::Settlement:
        return settlement;
    case AddressLevel::Street:
        return street;
    case AddressLevel::Area:
        break;
    }
    return area;
}

QString addressListSql(AddressLevel level, const AddressIds& ids, AddressListForm form) {
    const auto n = [](int id) { return QString::number(id); };
    switch (level) {
    case AddressLevel::Region:
        return QStringLiteral("select * from Region ");
    case AddressLevel::Area:
        return QStringLiteral("select * from Uchastok ");
    case AddressLevel::City:
        return QStringLiteral("select * from Gorod where RG = ") + n(ids.region);
    case AddressLevel::District:
        if (form != AddressListForm::Selection && ids.city <= 0)
            return QStringLiteral("select * from Rajon where RG = ") + n(ids.region);
        return QStringLiteral("select * from Rajon where RG = ") + n(ids.region) +
               QStringLiteral("and GD = ") + n(ids.city > 0 ? ids.city : 0);
    case AddressLevel::Settlement:
        return QStringLiteral("select * from NasPunkt where RN = ") + n(ids.district);
    case AddressLevel::Street:
        return QStringLiteral("select * from Street ") +
               (ids.city > 0 ? QStringLiteral("where GD = ") + n(ids.city)
                             : QStringLiteral("where NP = ") + n(ids.settlement)) +
               (form == AddressListForm::Card ? QString() : QStringLiteral(" order by NAME"));
    }
    return {};
}
