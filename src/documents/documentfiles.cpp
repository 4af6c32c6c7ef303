#include "documents/documentfiles.h"

#include "db/query.h"
#include "db/sqltext.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

struct Subscriber {
    int id = 0;
    QString name;
    qint64 residents = 0;
    QString problem;
};

Subscriber subscriberByAccount(Connection& db, const QString& account) {
    Subscriber s;
    const ResultSet r =
        db.query(u"select IDC, FIO, KOL from Client where LS=%1"_s.arg(SqlText::quoted(account)));
    if (r.rowCount == 0)
        s.problem = u"нет абонента с лицевым счетом «%1»"_s.arg(account);
    else if (r.rowCount > 1)
        s.problem = u"лицевой счет «%1» есть у нескольких абонентов"_s.arg(account);
    else {
        s.id = int(r.at(0, 0).toInteger());
        s.name = r.at(0, 1).toText();
        s.residents = r.at(0, 2).toInteger();
    }
    return s;
}

std::optional<Money> amountOf(QString text) {
    text = text.trimmed();
    text.replace(u'.', u',');
    return Money::parse(text);
}

// The lines of a file that are not empty: their numbers (from 1) and TAB-separated fields.
std::vector<std::pair<int, QStringList>> fileLines(const QString& text) {
    std::vector<std::pair<int, QStringList>> out;
    const QStringList lines = text.split(u'\n');
    for (int k = 0; k < lines.size(); ++k) {
        QString line = lines[k];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            out.emplace_back(k + 1, line.split(u'\t'));
    }
    return out;
}

QString lineProblem(int line, const QString& field, const QString& what) {
    return u"Строка %1, поле «%2»: %3. Ничего не записано."_s.arg(QString::number(line), field,
                                                                  what);
}

} // namespace

int defaultDocumentUser(Connection& db) {
    const ResultSet r = db.query(u"select IDUSR from Users where PRAV=3 order by IDUSR"_s);
    return r.rowCount > 0 ? int(r.at(0, 0).toInteger()) : 0;
}

PaymentFile readPaymentFile(AppContext& app, const QString& text) {
    PaymentFile f;
    Connection& db = app.db();
    QStringList methods;
    const ResultSet m = db.query(u"select NOM from VidOpl"_s);
    for (int i = 0; i < m.rowCount; ++i)
        methods << m.at(i, 0).toText();
    for (const auto& [n, fields] : fileLines(text)) {
        if (fields.size() < 4 || fields.size() > 5) {
            f.problem = lineProblem(n, u"строка"_s,
                                    u"нужно 4 или 5 полей через TAB (л/с, услуга, сумма, способ "
                                    u"оплаты, квитанция), а их %1"_s.arg(fields.size()));
            return f;
        }
        PaymentLine l;
        l.account = fields[0].trimmed();
        const Subscriber s = subscriberByAccount(db, l.account);
        if (!s.problem.isEmpty()) {
            f.problem = lineProblem(n, u"л/с"_s, s.problem);
            return f;
        }
        l.subscriber = s.id;
        l.name = s.name;
        bool ok = false;
        l.service = fields[1].trimmed().toInt(&ok);
        if (!ok || !shownService(app, l.service)) {
            f.problem =
                lineProblem(n, u"услуга"_s, u"«%1» — не код показываемой услуги"_s.arg(fields[1]));
            return f;
        }
        const auto amount = amountOf(fields[2]);
        if (!amount) {
            f.problem = lineProblem(n, u"сумма"_s, u"«%1» — не сумма"_s.arg(fields[2]));
            return f;
        }
        l.amount = *amount;
        l.amountEntered = true;
        l.method = fields[3].trimmed().toInt(&ok);
        if (!ok || !methods.contains(QString::number(l.method))) {
            f.problem = lineProblem(n, u"способ оплаты"_s,
                                    u"«%1» — нет такого способа оплаты"_s.arg(fields[3]));
            return f;
        }
        l.receipt = fields.size() > 4 ? fields[4].trimmed() : QString();
        if (l.receipt.size() > ReceiptLength) {
            f.problem = lineProblem(
                n, u"квитанция"_s,
                u"«%1» длиннее %2 знаков"_s.arg(l.receipt, QString::number(ReceiptLength)));
            return f;
        }
        f.lines.push_back(l);
    }
    if (f.lines.empty())
        f.problem = u"В файле нет ни одной строки оплаты."_s;
    return f;
}

CorrectionFile readCorrectionFile(AppContext& app, const QString& text) {
    CorrectionFile f;
    Connection& db = app.db();
    for (auto [n, fields] : fileLines(text)) {
        if (fields.size() < 2 || fields.size() > 5) {
            f.problem = lineProblem(n, u"строка"_s,
                                    u"нужно до 5 полей через TAB (л/с, способ, величина, начало, "
                                    u"конец), а их %1"_s.arg(fields.size()));
            return f;
        }
        while (fields.size() < 5)
            fields << QString();
        CorrectionLine l;
        l.account = fields[0].trimmed();
        const Subscriber s = subscriberByAccount(db, l.account);
        if (!s.problem.isEmpty()) {
            f.problem = lineProblem(n, u"л/с"_s, s.problem);
            return f;
        }
        l.subscriber = s.id;
        l.name = s.name;
        l.residents = s.residents;
        bool ok = false;
        const int kind = fields[1].trimmed().toInt(&ok);
        if (!ok || kind < 1 || kind > 4) {
            f.problem = lineProblem(n, u"способ"_s, u"«%1» — не число от 1 до 4"_s.arg(fields[1]));
            return f;
        }
        l.kind = CorrectionKind(kind);
        if (l.kind == CorrectionKind::Current && fields[2].trimmed().isEmpty())
            fields[2] = u"0"_s;
        const auto value = amountOf(fields[2]);
        if (!value) {
            f.problem = lineProblem(n, u"величина"_s, u"«%1» — не число"_s.arg(fields[2]));
            return f;
        }
        l.value = l.kind == CorrectionKind::Current ? Money() : *value;
        if (l.kind != CorrectionKind::Amount) {
            const char16_t* names[] = {u"начало", u"конец"};
            QDate* dates[] = {&l.start, &l.end};
            for (int d = 0; d < 2; ++d) {
                *dates[d] = QDate::fromString(fields[3 + d].trimmed(), u"dd.MM.yyyy"_s);
                if (!dates[d]->isValid()) {
                    f.problem = lineProblem(n, QString::fromUtf16(names[d]),
                                            u"«%1» — не дата дд.мм.гггг"_s.arg(fields[3 + d]));
                    return f;
                }
            }
        } else if (!fields[3].trimmed().isEmpty() || !fields[4].trimmed().isEmpty()) {
            f.problem = lineProblem(n, u"начало"_s,
                                    u"у корректировки фиксированной суммой период не указывают"_s);
            return f;
        }
        f.lines.push_back(l);
    }
    if (f.lines.empty())
        f.problem = u"В файле нет ни одной строки корректировки."_s;
    return f;
}
