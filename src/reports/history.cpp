#include "reports/history.h"

#include "common/period.h"
#include "db/connection.h"
#include "period/balance.h"

#include <QStringList>

using namespace Qt::StringLiterals;

History calculationHistory(AppContext& app, int clientId, int year) {
    Connection& db = app.db();
    History h;
    h.year = year;
    const QString y = QString::number(year), client = QString::number(clientId);
    // every earlier year, the opening balances' "00.0000" included
    const QString filter = periodCondition(db, shownServiceIds(app), [year](const QString& text) {
        return text.mid(3, 4).toInt() < year;
    });
    const auto sum = [&](const char16_t* column, const QString& table) {
        const ResultSet r = db.query(u"select SUM (%1) from %2 where CLIENT=%3 and (%4)"_s.arg(
            QString::fromUtf16(column), table, client, filter));
        return r.rowCount > 0 ? r.at(0, 0).toMoney() : Money();
    };
    const auto monthOf = [](const QString& period) {
        const int m = period.left(2).toInt();
        return m >= 1 && m <= 12 ? m - 1 : -1; // "00.0000" has no month of its own
    };
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        h.services.push_back(s.IDUSL);
        std::array<THistGrid, 12> months;
        for (int m = 0; m < 12; ++m)
            months[size_t(m)].period = u"%1.%2"_s.arg(m + 1, 2, 10, QChar(u'0')).arg(y);
        std::vector<THistDok> docs;
        Money opening;
        if (!filter.isEmpty())
            opening = sum(u"ITOG", u"Nachisl"_s + n) + sum(u"KORR", u"Korrekt"_s + n) -
                      sum(u"OPLATA", u"Oplata"_s + n);
        ResultSet r = db.query(
            u"select PERIOD as Период, NACH as Начислено, LGOT as Льготы, ITOG as Итог, DOK from "
            u"Nachisl%1 where PERIOD like \"%%2%\" and CLIENT=%3 order by PERIOD, IDR"_s.arg(
                n, y, client));
        for (int i = 0; i < r.rowCount; ++i) {
            const QString period = r.at(i, 0).toText();
            const int m = monthOf(period);
            if (m >= 0) {
                months[size_t(m)].period = period;
                months[size_t(m)].charged += r.at(i, 1).toMoney();
                months[size_t(m)].benefits += r.at(i, 2).toMoney();
            }
            docs.push_back({period, u"Начисление"_s, int(r.at(i, 4).toInteger()), {}, {}});
        }
        r = db.query(u"select PERIOD as Период, KORR, DOK from Korrekt%1 where PERIOD like "
                     u"\"%%2%\" and CLIENT=%3 order by PERIOD, IDK"_s.arg(n, y, client));
        for (int i = 0; i < r.rowCount; ++i) {
            const QString period = r.at(i, 0).toText();
            if (const int m = monthOf(period); m >= 0)
                months[size_t(m)].corrections += r.at(i, 1).toMoney();
            docs.push_back({period, u"Корректировка"_s, int(r.at(i, 2).toInteger()), {}, {}});
        }
        r = db.query(
            u"select DATA as Дата, OPLATA as Оплачено, PERIOD as Период, DOK, KVITANS "
            u"from Oplata%1 where PERIOD like \"%%2%\" and CLIENT=%3 order by DATA, IDO"_s.arg(
                n, y, client));
        for (int i = 0; i < r.rowCount; ++i) {
            const QString period = r.at(i, 2).toText();
            if (const int m = monthOf(period); m >= 0) {
                months[size_t(m)].paid += r.at(i, 1).toMoney();
                months[size_t(m)].receipt = r.at(i, 4).toText();
            }
            docs.push_back({period, u"Оплата"_s, int(r.at(i, 3).toInteger()), {}, {}});
        }
        for (int m = 0; m < 12; ++m) {
            THistGrid& g = months[size_t(m)];
            g.opening = m == 0 ? opening : months[size_t(m - 1)].closing;
            g.closing = g.opening + g.charged + g.benefits + g.corrections - g.paid;
        }
        h.months.push_back(months);
        h.documents.push_back(std::move(docs));
    }
    return h;
}

void fillHistoryTable(ReportTable& t, const History& h, const std::vector<int>& ticked) {
    t = ReportTable();
    t.title = u"История"_s;
    t.setSize(13, 9);
    const QStringList head = {u"ПЕРИОД"_s,   u"Нач сальдо"_s, u"Начислено"_s,
                              u"Льготы"_s,   u"Перерасчет"_s, u"Итого"_s,
                              u"Оплачено"_s, u"Квитанция"_s,  u"Кон сальдо"_s};
    t.setRow(0, head);
    for (int m = 0; m < 12; ++m) {
        QString period;
        Money opening, charged, benefits, corrections, paid, closing;
        QString receipts;
        for (size_t k = 0; k < h.services.size(); ++k) {
            if (std::find(ticked.begin(), ticked.end(), h.services[k]) == ticked.end())
                continue;
            const THistGrid& g = h.months[k][size_t(m)];
            if (period.isEmpty())
                period = g.period;
            opening += g.opening;
            charged += g.charged;
            benefits += g.benefits;
            corrections += g.corrections;
            paid += g.paid;
            closing += g.closing;
            receipts += g.receipt + u" , "_s;
        }
        receipts.chop(3);
        t.setRow(m + 1, {period, opening.toText(), charged.toText(), benefits.toText(),
                         corrections.toText(), (charged + benefits + corrections).toText(),
                         paid.toText(), receipts, closing.toText()});
    }
}

std::vector<THistDok> monthDocuments(AppContext& app, const History& h, const QString& period) {
    std::vector<THistDok> out;
    for (const auto& docs : h.documents)
        for (THistDok d : docs) {
            if (d.period != period)
                continue;
            const ResultSet r =
                app.db().query(u"select * from Dokum where IDDOK=%1"_s.arg(d.document));
            d.number = r.rowCount > 0
                           ? QString::number(r.at(0, r.columnIndex(u"NOMDOK")).toInteger())
                           : u"0"_s;
            d.date = r.rowCount > 0 ? r.at(0, r.columnIndex(u"DATADOK")).toText() : QString();
            out.push_back(d);
        }
    return out;
}

QString historyItem(const THistDok& d) {
    return u"%1:  № %2   от %3"_s.arg(d.kind, d.number, d.date);
}

void fillHistoryPrint(ReportTable& t, const ReportTable& grid, const HistoryPrintHeader& h) {
    t = ReportTable();
    t.title = u"История"_s;
    t.setSize(22, 10);
    t.setColumnWidth(0, 5);
    for (int c = 1; c < 10; ++c)
        t.setColumnWidth(c, 80);
    const auto line = [&](int row, const QString& text, int style) {
        t.merge(1, row, 9, 1);
        t.setText(1, row, text);
        t.setStyle(1, row, style);
    };
    line(1, u"Абонент :  "_s + h.name, ReportTable::Bold | ReportTable::Underline);
    t.setRowHeight(2, 7);
    line(3, u"Адрес : "_s + h.address, ReportTable::Bold);
    t.setRowHeight(4, 7);
    line(5, u"Тариф : %1  ;   Кол-во проживающих : %2"_s.arg(h.tariff, h.residents),
         ReportTable::Plain);
    t.setRowHeight(6, 7);
    line(7, u"История расчетов за %1 год"_s.arg(h.year), ReportTable::Bold);
    t.setRowHeight(8, 7);
    for (int r = 0; r < 13; ++r) {
        if (grid.text(0, r).isEmpty())
            continue;
        for (int c = 0; c < 9; ++c) {
            t.setText(c + 1, r + 9, grid.text(c, r).trimmed());
            t.setCentred(c + 1, r + 9);
            if (r == 0 || c == 0)
                t.setStyle(c + 1, r + 9, ReportTable::Bold);
        }
    }
}
