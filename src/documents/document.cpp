#include "documents/document.h"

#include "db/connection.h"
#include "db/dberror.h"

using namespace Qt::StringLiterals;

namespace DocCaption {

QString header(DocType type) {
    switch (type) {
    case DocType::Charge:
        return u"Документ начисления №"_s;
    case DocType::Correction:
        return u"Документ корректировки №"_s;
    case DocType::Payment:
        break;
    }
    return u"Документ оплаты №"_s;
}

QString save(DocType type) {
    switch (type) {
    case DocType::Charge:
        return u"Начисление"_s;
    case DocType::Correction:
        return u"Скорректировать"_s;
    case DocType::Payment:
        break;
    }
    return u"Оплата"_s;
}

} // namespace DocCaption

QString typeCode(DocType type) {
    return QString::number(int(type));
}

QString DocText::renumbered(int shown, int stored) {
    return u"Номер %1 уже занят другим документом этого вида. Документ сохранен под номером %2."_s
        .arg(QString::number(shown), QString::number(stored));
}

namespace {

int scalarInt(Connection& db, const QString& statement) {
    const ResultSet r = db.query(statement);
    return r.rowCount > 0 ? int(r.at(0, 0).toInteger()) : 0;
}

} // namespace

NewDocument newDocument(Connection& db, DocType type) {
    NewDocument d;
    d.id = scalarInt(db, u"select max(IDDOK) from Dokum"_s) + 1;
    d.number =
        scalarInt(db, u"select max(NOMDOK) from Dokum where TIPDOK=\"%1\""_s.arg(typeCode(type))) +
        1;
    return d;
}

namespace {

ResultSet storedDocument(Connection& db, int docId) {
    ResultSet r = db.query(u"select * from Dokum where IDDOK=%1"_s.arg(docId));
    if (r.rowCount == 0)
        throw DbError(
            u"Документ %1 не найден: его, возможно, удалили на другом рабочем месте."_s.arg(docId));
    return r;
}

} // namespace

DocType storedDocumentType(Connection& db, int docId) {
    const ResultSet r = storedDocument(db, docId);
    const QString type = r.at(0, r.columnIndex(u"TIPDOK")).toText();
    return type == u"1" ? DocType::Charge : type == u"2" ? DocType::Correction : DocType::Payment;
}

DocumentHeader readHeader(Connection& db, int docId) {
    const ResultSet r = storedDocument(db, docId);
    DocumentHeader h;
    h.id = docId;
    h.stored = true;
    const auto v = [&](const char16_t* column) { return r.at(0, r.columnIndex(column)); };
    h.number = QString::number(v(u"NOMDOK").toInteger());
    h.date = v(u"DATADOK").toDateTime().date();
    h.note = v(u"OSNOV").toText();
    return h;
}

QString storedDocumentListSql(const std::vector<TVidUslugi>& services, const QString& ids) {
    QString columns, opening, joins;
    for (const TVidUslugi& s : services) {
        const QString n = QString::number(s.IDUSL);
        columns += u", [Dolg%1].[SUMMA] AS Dolg%1, [Tarif%1].[TARIF] AS Tarif%1"_s.arg(n);
        opening += u"(("_s;
        joins += u") LEFT JOIN Dolg%1 ON Client.IDC=Dolg%1.CLIENT) LEFT JOIN Tarif%1 ON "
                 u"Client.IDC=Tarif%1.CLIENT"_s.arg(n);
    }
    // subscribers of a city too: the settlement form alone would lose them from the grid, and a
    // charge saved again would drop their lines
    return u"SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, NasPunkt.NAME "
           u"as Нас_пункт, Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, "
           u"Client.KVART as Квартира, KOL, OB_PL, ZH_PL%1 , Client.IDC, Client.TIPZ FROM %2 "
           u"Street INNER JOIN (Rajon INNER JOIN (NasPunkt INNER JOIN Client ON NasPunkt.ID = "
           u"Client.NP) ON Rajon.ID = Client.RN) ON Street.ID = Client.ST %3 where Client.IDC in "
           u"(%4) union SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, "
           u"Gorod.NAME as Город, Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, "
           u"Client.KVART as Квартира, KOL, OB_PL, ZH_PL%1, Client.IDC, Client.TIPZ FROM %2(Street "
           u"INNER JOIN Client ON Street.ID = Client.ST) INNER JOIN Gorod ON Client.GD = Gorod.ID "
           u"%3 where Client.IDC in (%4)"_s.arg(columns, opening, joins, ids);
}

bool inCurrentPeriod(QDate date, const QString& currentPeriod) {
    const auto p = Period::parse(currentPeriod);
    return p && date.isValid() && Period::fromDate(date) == *p;
}

QString headerProblem(const DocumentHeader& header) {
    bool ok = false;
    const int number = header.number.trimmed().toInt(&ok);
    if (!ok || number <= 0)
        return u"Номер документа «%1» — не целое положительное число. Введите номер цифрами."_s.arg(
            header.number);
    if (!header.date.isValid())
        return u"Не указана дата документа."_s;
    return {};
}

SaveResult refuseHeader(const DocumentHeader& header, const QString& currentPeriod) {
    SaveResult r;
    if (!inCurrentPeriod(header.date, currentPeriod)) {
        r.refusal = DocText::DateOutsidePeriod;
        r.warning = true;
    } else {
        r.refusal = headerProblem(header);
    }
    return r;
}

StoredHeader claimHeader(Connection& db, DocType type, const DocumentHeader& header) {
    StoredHeader s;
    s.id = header.stored ? header.id : scalarInt(db, u"select max(IDDOK) from Dokum"_s) + 1;
    s.number = header.number.trimmed().toInt();
    const int takenBy = scalarInt(
        db, u"select count(*) from Dokum where TIPDOK=\"%1\" and NOMDOK=%2 and IDDOK<>%3"_s.arg(
                typeCode(type), QString::number(s.number), QString::number(s.id)));
    if (takenBy > 0) {
        s.number =
            scalarInt(db,
                      u"select max(NOMDOK) from Dokum where TIPDOK=\"%1\""_s.arg(typeCode(type))) +
            1;
        s.renumbered = true;
    }
    return s;
}

SaveResult savedDocument(AppContext& app, const StoredHeader& header, Money total, int lines) {
    SaveResult r;
    r.docId = header.id;
    r.number = header.number;
    r.renumbered = header.renumbered;
    r.total = total;
    r.lines = lines;
    emit app.changes.subscribersChanged(0);
    emit app.changes.documentsChanged(header.id);
    return r;
}

Money DocumentRow::quantity(const QString& osnova) const {
    if (osnova.compare(u"OB_PL"_s, Qt::CaseInsensitive) == 0)
        return OB_PL;
    if (osnova.compare(u"ZH_PL"_s, Qt::CaseInsensitive) == 0)
        return ZH_PL;
    return Money::fromInteger(KOL);
}

bool knownBase(const QString& osnova) {
    for (const char16_t* base : {u"KOL", u"OB_PL", u"ZH_PL"})
        if (osnova.trimmed().compare(QString::fromUtf16(base), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::vector<DocumentRow> documentRows(const ResultSet& grid) {
    const int ls = grid.columnIndex(u"Лицевой_счет"),
              fio = grid.columnIndex(u"Фамилия_Имя_Отчество"), idc = grid.columnIndex(u"IDC"),
              tipz = grid.columnIndex(u"TIPZ"), kol = grid.columnIndex(u"KOL"),
              ob = grid.columnIndex(u"OB_PL"), zh = grid.columnIndex(u"ZH_PL");
    std::vector<std::pair<int, int>> tariffColumns; // service id, column
    for (int c = 0; c < grid.columns.size(); ++c) {
        const QString& name = grid.columns[c];
        if (name.startsWith(u"Tarif"_s, Qt::CaseInsensitive)) {
            bool ok = false;
            const int service = name.mid(5).toInt(&ok);
            if (ok)
                tariffColumns.emplace_back(service, c);
        }
    }
    const auto text = [&](int r, int c) { return c >= 0 ? grid.at(r, c).toText() : QString(); };
    std::vector<DocumentRow> rows;
    rows.reserve(size_t(grid.rowCount));
    for (int r = 0; r < grid.rowCount; ++r) {
        DocumentRow row;
        row.IDC = idc >= 0 ? int(grid.at(r, idc).toInteger()) : 0;
        row.LS = text(r, ls);
        row.FIO = text(r, fio);
        row.TIPZ = text(r, tipz);
        row.KOL = kol >= 0 ? grid.at(r, kol).toInteger() : 0;
        row.OB_PL = ob >= 0 ? grid.at(r, ob).toMoney() : Money();
        row.ZH_PL = zh >= 0 ? grid.at(r, zh).toMoney() : Money();
        for (const auto& [service, column] : tariffColumns) {
            const Value v = grid.at(r, column);
            if (!v.isNull())
                row.tariffs.insert(service, v.toMoney());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

QString composeAddress(const QString& city, const QString& district, const QString& settlement,
                       const QString& street, const QString& house, const QString& building,
                       const QString& apartment) {
    QString a;
    if (!city.isEmpty())
        a += city + u", "_s;
    a += district + u", "_s + settlement + u", Ул. "_s + street;
    a += u", Д. "_s + house;
    if (!building.isEmpty())
        a += u", Корп "_s + building + u", "_s;
    a += u", Кв. "_s + apartment;
    return a;
}

QString composedAddress(Connection& db, int clientId) {
    const ResultSet r = db.query(
        u"SELECT Client.LS,  [Gorod].[NAME] as Гор, [Rajon].[NAME] as Рай, [NasPunkt].[NAME] as "
        u"НП, [Street].[NAME] as Ул, Client.DOM as Дом, Client.KORP as Корп, Client.KVART as Кв "
        u"FROM (((Client LEFT JOIN Rajon ON Client.RN = Rajon.ID) LEFT JOIN NasPunkt ON "
        u"Client.NP = NasPunkt.ID) LEFT JOIN Street ON Client.ST = Street.ID) LEFT JOIN Gorod ON "
        u"Client.GD = Gorod.ID WHERE (Client.IDC=%1)"_s.arg(clientId));
    return r.rowCount > 0 ? composeAddress(r, 0) : QString();
}

QString composeAddress(const ResultSet& rows, int row) {
    const auto t = [&](const char16_t* column) {
        return rows.at(row, rows.columnIndex(QStringView(column))).toText();
    };
    return composeAddress(t(u"Гор"), t(u"Рай"), t(u"НП"), t(u"Ул"), t(u"Дом"), t(u"Корп"),
                          t(u"Кв"));
}

bool BenefitRow::appliesIn(Period period) const {
    const QDateTime p2(period.day(2), QTime(0, 0));
    // an empty date is earlier than every real date
    const bool started = !start.isValid() || start < p2;
    const bool notEnded = ignoreEnd || (end.isValid() && p2 < end);
    return started && notEnded;
}

std::vector<BenefitRow> benefitRows(const ResultSet& rows) {
    const int start = rows.columnIndex(u"DATA_NACH"), end = rows.columnIndex(u"DATA_OKON"),
              ignore = rows.columnIndex(u"BEZ_OKON"), persons = rows.columnIndex(u"KOL_LG"),
              percent = rows.columnIndex(u"PRCNT");
    std::vector<BenefitRow> out;
    for (int r = 0; r < rows.rowCount; ++r) {
        BenefitRow b;
        b.start = rows.at(r, start).toDateTime();
        b.end = rows.at(r, end).toDateTime();
        b.ignoreEnd = rows.at(r, ignore).toText() == u"1";
        b.persons = rows.at(r, persons).toInteger();
        b.percent = rows.at(r, percent).toMoney();
        out.push_back(b);
    }
    return out;
}

Money benefitDeduction(Money percent, Money amount, qint64 persons) {
    // exactly: units × units × persons is in 10⁻⁸; / 100 and back to 10⁻⁴ is a division by 10⁶
    const __int128 exact = __int128(percent.units()) * amount.units() * persons;
    constexpr __int128 Divisor = 1000000;
    __int128 q = exact / Divisor;
    const __int128 rest = exact % Divisor;
    const __int128 twice = (rest < 0 ? -rest : rest) * 2;
    if (twice > Divisor || (twice == Divisor && (q % 2 != 0)))
        q += exact < 0 ? -1 : 1; // halves to even
    return RoundHalfAway2(-Money::fromUnits(qint64(q)));
}

qint64 grantedPersons(qint64 rowPersons, qint64 residents, qint64& counted) {
    qint64 persons = rowPersons;
    if (rowPersons + counted > residents)
        persons = residents - counted;
    counted += persons;
    return persons;
}

const TVidUslugi* shownService(const AppContext& app, int serviceId) {
    for (const TVidUslugi& s : app.state.ShownServices)
        if (s.IDUSL == serviceId)
            return &s;
    return nullptr;
}
