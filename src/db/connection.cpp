#include "db/connection.h"

#include "db/columnwrite.h"
#include "db/dberror.h"
#include "db/jetconvert.h"
#include "db/jetshape.h"
#include "db/sqlitebackend.h"
#include "db/sqltext.h"

#include <QRegularExpression>
#include <cstdio>

namespace {

constexpr int CacheLimit = 512;

Value literalValue(const JetToken& t) {
    switch (t.kind) {
    case JetToken::Kind::String:
        return Value::text(t.text);
    case JetToken::Kind::Integer: {
        bool ok = false;
        const qint64 v = t.text.toLongLong(&ok);
        return ok ? Value::integer(v) : Value::real(t.text.toDouble());
    }
    case JetToken::Kind::Decimal:
        return Value::real(t.text.toDouble());
    case JetToken::Kind::Date:
        return Value::date(t.text);
    default:
        return {};
    }
}

// The engine's reason in Russian where it is one of the known ones; names quoted from the
// statement are cut to a readable excerpt.
QString russianReason(const QString& reason) {
    struct Rule {
        const char* pattern;
        const char* text;
    };
    static const Rule rules[] = {
        {"^no such table: (.*)$", "нет такой таблицы: %1"},
        {"^no such column: (.*)$", "нет такого столбца: %1"},
        {"^table (.*) already exists$", "таблица %1 уже существует"},
        {"^index (.*) already exists$", "индекс %1 уже существует"},
        {"^no such index: (.*)$", "нет такого индекса: %1"},
        {"^near \"(.*)\": syntax error$", "синтаксическая ошибка около «%1»"},
        {"^unrecognized token: \"(.*)\"$", "непонятный знак «%1»"},
        {"^incomplete input$", "запрос оборван"},
        {"^no such function: (.*)$", "нет такой функции: %1"},
        {"^wrong number of arguments to function (.*)$", "неверное число аргументов функции %1"},
        {"^too many arguments on function (.*)$", "слишком много аргументов функции %1"},
        {"^ambiguous column name: (.*)$", "неоднозначное имя столбца: %1"},
        {"^duplicate column name: (.*)$", "имя столбца повторяется: %1"},
        {"^database is locked$", "база данных занята другим рабочим местом; повторите позже"},
        {"^database table is locked$", "таблица занята другим запросом; повторите позже"},
        {"^attempt to write a readonly database$", "база данных открыта только для чтения"},
        {"^file is not a database$", "файл не является базой данных"},
        {"^file is encrypted or is not a database$", "файл не является базой данных"},
        {"^database disk image is malformed$",
         "файл базы данных повреждён; восстановите его из архивной копии"},
        {"^database or disk is full$",
         "на диске нет места для базы данных; освободите место и повторите"},
        {"^disk I/O error$", "ошибка чтения или записи диска"},
        {"^unable to open database file$", "не удалось открыть файл базы данных"},
        {"^out of memory$", "не хватает памяти для выполнения запроса"},
        {"^parser stack overflow$", "запрос слишком сложен: слишком глубокая вложенность"},
        {"^Expression tree is too large \\(maximum depth (\\d+)\\)$",
         "выражение слишком сложное: вложенность больше %1"},
        {"^string or blob too big$", "слишком длинный текст или значение"},
        {"^too many SQL variables$", "слишком много значений в одном запросе"},
        {"^too many terms in compound SELECT$", "слишком много частей UNION в одном запросе"},
        {"^too many columns (in result set|on .*)$", "слишком много столбцов"},
        {"^LIKE or GLOB pattern too complex$", "слишком длинный шаблон LIKE"},
        {"^integer overflow$", "переполнение целого числа"},
        {"^interrupted$", "запрос прерван"},
        {"^abort due to ROLLBACK$", "чтение прервано отменой изменений; повторите выборку"},
        {"^(.*) has (\\d+) columns but (\\d+) values were supplied$",
         "в таблице %1 столбцов %2, а значений %3"},
        {"^SELECTs to the left and right of (UNION|UNION ALL|INTERSECT|EXCEPT) do not have the "
         "same number of result columns$",
         "у частей %1 разное число столбцов"},
        {"^sub-select returns (\\d+) columns - expected 1$",
         "вложенный запрос возвращает столбцов: %1, а нужен один"},
        {"^(\\d+)(st|nd|rd|th) ORDER BY term out of range - should be between 1 and (\\d+)$",
         "номер столбца в ORDER BY (%1-й) вне пределов: столбцов %3"},
        {"^(\\d+)(st|nd|rd|th) (ORDER|GROUP) BY term does not match any column in the result set$",
         "%1-й член %3 BY не совпадает ни с одним столбцом результата"},
        {"^a GROUP BY clause is required before HAVING$", "перед HAVING нужен GROUP BY"},
        {"^misuse of aggregate: (.*)$", "неверное использование итоговой функции %1"},
        {"^misuse of aggregate function (.*)$", "неверное использование итоговой функции %1"},
        {"^aggregate functions are not allowed in the GROUP BY clause$",
         "итоговые функции нельзя использовать в GROUP BY"},
        {"^cannot start a transaction within a transaction$", "транзакция уже начата"},
        {"^cannot commit - no transaction is active$", "нет начатой транзакции"},
    };
    static const std::vector<QRegularExpression> compiled = [] {
        std::vector<QRegularExpression> out;
        for (const auto& r : rules)
            out.emplace_back(QString::fromUtf8(r.pattern),
                             QRegularExpression::DotMatchesEverythingOption);
        return out;
    }();
    for (size_t k = 0; k < compiled.size(); ++k) {
        const auto m = compiled[k].match(reason);
        if (m.hasMatch()) {
            // %n replaced in one pass, so a name holding "%1" stays as it is
            const QString text = QString::fromUtf8(rules[k].text);
            QString out;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) {
                    const int n = text[++i].digitValue();
                    if (n <= m.lastCapturedIndex())
                        out += SqlText::excerpt(m.captured(n), 80);
                    continue;
                }
                out += text[i];
            }
            return out;
        }
    }
    return SqlText::excerpt(reason, 300);
}

} // namespace

Connection::Connection(std::unique_ptr<Backend> backend)
    : m_backend(std::move(backend)),
      m_catalog([this](const QString& t) { return m_backend->tableColumns(t); }),
      m_translator(m_backend->dialect(), m_catalog) {}

Connection::~Connection() {
    m_cache.clear(); // statements go before the backend closes
    m_templates.clear();
}

std::unique_ptr<Connection> Connection::openSqlite(const QString& path, OpenMode mode) {
    auto refuse = [&path](const QString& reason) {
        throw DbError(QStringLiteral("Не удалось открыть базу данных %1: %2").arg(path, reason), {},
                      reason);
    };
    std::unique_ptr<Connection> connection;
    bool programs = true;
    try {
        connection = std::make_unique<Connection>(std::make_unique<SqliteBackend>(
            path, mode == OpenMode::Create ? SqliteBackend::OpenMode::Create
                                           : SqliteBackend::OpenMode::Existing));
        // an existing file must already hold a database: an empty file (or one without any
        // table) is refused rather than turned into a database by the first statement
        if (mode == OpenMode::Existing)
            programs = !connection->m_backend->tableNames().isEmpty();
    } catch (const BackendError& e) {
        refuse(russianReason(e.reason));
    }
    if (!programs)
        refuse(QStringLiteral("это не база данных программы (в файле нет ни одной таблицы)"));
    return connection;
}

void Connection::fail(const QString& statement, const QString& reason, bool busy) {
    const QString r = russianReason(reason);
    const QString head = busy ? QStringLiteral("База данных занята другим рабочим местом")
                              : QStringLiteral("Ошибка выполнения запроса");
    throw DbError(QStringLiteral("%1: %2.\nЗапрос: %3").arg(head, r, SqlText::excerpt(statement)),
                  statement, r);
}

static bool sameLiterals(const std::vector<ShapeLiteral>& a, const std::vector<Value>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const Value v = a[i].toValue();
        if (v.kind() != b[i].kind() || v.toText() != b[i].toText())
            return false;
    }
    return true;
}

namespace {

// TERVALA_STATEMENT_LOG=file appends every statement the program runs to that file, one per line
// (for support, and for the fuzz target's seeds).
FILE* statementLog() {
    static FILE* const log = [] {
        const QByteArray path = qgetenv("TERVALA_STATEMENT_LOG");
        return path.isEmpty() ? nullptr : std::fopen(path.constData(), "a");
    }();
    return log;
}

void logStatement(const QString& statement) {
    FILE* const log = statementLog();
    if (!log)
        return;
    QString line = statement;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), log);
    std::fputc('\n', log);
    std::fflush(log);
}

} // namespace

std::unique_ptr<Connection::RowReader> Connection::openReader(const QString& statement) {
    logStatement(statement);
    std::unique_ptr<RowReader> reader(new RowReader(*this, statement));
    try {
        std::vector<Value> literals;
        const Translation tr = translate(statement, &literals);
        if (tr.kind != Translation::Kind::Statement)
            fail(statement, QStringLiteral("запрос не возвращает строк"));
        reader->m_prepared = m_backend->prepare(tr.sql);
        if (!reader->m_prepared->returnsRows())
            fail(statement, QStringLiteral("запрос не возвращает строк"));
        bindParams(*reader->m_prepared, tr.params, literals, statement);
    } catch (const BackendError& e) {
        fail(statement, e.reason, e.busy);
    }
    return reader;
}

bool Connection::RowReader::read(ResultSet& rows, int maxRows) {
    if (m_done)
        return false;
    try {
        m_done = !m_prepared->readRows(rows, maxRows);
    } catch (const BackendError& e) {
        m_done = true;
        m_db.fail(m_statement, e.reason, e.busy);
    } catch (const std::bad_alloc&) {
        m_done = true;
        m_db.fail(m_statement, QStringLiteral("out of memory"));
    }
    if (m_done)
        m_prepared.reset(); // the read lock goes with it
    return !m_done;
}

void Connection::queryInto(const QString& statement, ResultSet& rows) {
    const Result r = run(statement, true, &rows);
    if (!r.hasRows)
        rows.clearRows();
}

Translation Connection::translate(const QString& statement, std::vector<Value>* literals) {
    const std::vector<JetToken> tokens = tokenizeJet(statement);
    const std::vector<int> lifted = liftedLiterals(tokens);
    for (size_t i = 0; i < tokens.size(); ++i)
        if (lifted[i] >= 0)
            literals->push_back(literalValue(tokens[i]));
    return m_translator.translate(statement, tokens, lifted);
}

Connection::Result Connection::run(const QString& statement, bool readRows, ResultSet* into) {
    logStatement(statement);
    // whatever fails below leaves as the engine's own error, never as the backend's
    try {
        return runUnguarded(statement, readRows, into);
    } catch (const BackendError& e) {
        fail(statement, e.reason, e.busy);
    } catch (const std::bad_alloc&) {
        fail(statement, QStringLiteral("out of memory"));
    }
}

Connection::Result Connection::runUnguarded(const QString& statement, bool readRows,
                                            ResultSet* into) {
    // the usual way: one pass finds the shape, and its prepared statement is reused
    const bool shaped = scanStatementShape(statement, m_shape);
    Prepared* prepared = nullptr;
    if (shaped) {
        const auto it = m_cache.constFind(m_shape.key);
        if (it != m_cache.constEnd())
            prepared = it->get();
    }

    std::shared_ptr<Prepared> fresh;
    std::vector<Value> tokenLiterals;
    if (!prepared) {
        // a new shape: tokenize, translate and prepare it
        const Translation tr = translate(statement, &tokenLiterals);
        if (tr.kind == Translation::Kind::Schema)
            return runSchema(statement, tr);
        if (tr.kind == Translation::Kind::SelectInto)
            return runSelectInto(statement, tr, tokenLiterals);
        fresh = std::make_shared<Prepared>();
        try {
            fresh->statement = m_backend->prepare(tr.sql);
        } catch (const BackendError& e) {
            fail(statement, e.reason, e.busy);
        }
        fresh->params = tr.params;
        // kept only when the one-pass shape saw the same literals as the tokenizer
        if (shaped && sameLiterals(m_shape.literals, tokenLiterals)) {
            if (m_cache.size() >= CacheLimit)
                m_cache.clear();
            m_cache.insert(m_shape.key, fresh);
        }
        prepared = fresh.get();
        bindParams(*prepared->statement, prepared->params, tokenLiterals, statement);
    } else {
        bindShapeParams(*prepared->statement, prepared->params, m_shape.literals, statement);
    }
    try {
        return step(*prepared->statement, readRows, into);
    } catch (const BackendError& e) {
        fail(statement, e.reason, e.busy);
    }
}

Connection::Result Connection::step(BackendStatement& statement, bool readRows, ResultSet* into) {
    Result result;
    result.hasRows = statement.returnsRows();
    ResultSet* rows = into ? into : &result.rows;
    statement.run(result.hasRows && readRows ? rows : nullptr, &result.changes);
    return result;
}

bool Connection::bindValue(BackendStatement& stmt, const ParamSlot& p, const Value& v,
                           QString* error) {
    if (p.target.type == JetType::Unknown) {
        stmt.bind(p.number, v);
        return true;
    }
    const auto converted = valueForColumn(v, p.target, p.column, error);
    if (!converted) {
        if (!p.dateIfReadable)
            return false;
        stmt.bind(p.number, v); // not a date: compared as the text it is
        return true;
    }
    stmt.bind(p.number, *converted);
    return true;
}

void Connection::bindConverted(BackendStatement& stmt, const ParamSlot& p, const Value& v,
                               const QString& statement) {
    QString error;
    if (!bindValue(stmt, p, v, &error))
        fail(statement, error);
}

void Connection::bindParams(BackendStatement& stmt, const std::vector<ParamSlot>& params,
                            const std::vector<Value>& literals, const QString& statement) {
    for (const ParamSlot& p : params)
        bindConverted(stmt, p, literals[size_t(p.literalIndex)], statement);
}

void Connection::bindShapeParams(BackendStatement& stmt, const std::vector<ParamSlot>& params,
                                 const std::vector<ShapeLiteral>& literals,
                                 const QString& statement) {
    QString error;
    for (const ParamSlot& p : params)
        if (!bindLiteral(stmt, p, literals[size_t(p.literalIndex)], &error))
            fail(statement, error);
}

bool Connection::bindLiteral(BackendStatement& stmt, const ParamSlot& p, const ShapeLiteral& lit,
                             QString* error) {
    using LK = ShapeLiteral::Kind;
    // the common cases straight from the statement's text, without copies
    if (lit.kind == LK::Text) {
        const QStringView text = lit.text();
        switch (p.target.type) {
        case JetType::Unknown:
            stmt.bindText(p.number, text);
            return true;
        case JetType::Text:
            if (p.target.length == 0 || text.size() <= p.target.length) {
                stmt.bindText(p.number, text);
                return true;
            }
            break;
        case JetType::Float:
            if (const auto d = JetConvert::parseNumber(text)) {
                stmt.bindReal(p.number, *d);
                return true;
            }
            break;
        default:
            break;
        }
    } else if (lit.kind == LK::Integer &&
               (p.target.type == JetType::Unknown || p.target.type == JetType::Float ||
                (p.target.type == JetType::Long && lit.integer >= INT32_MIN &&
                 lit.integer <= INT32_MAX))) {
        if (p.target.type == JetType::Float)
            stmt.bindReal(p.number, double(lit.integer));
        else
            stmt.bindInteger(p.number, lit.integer);
        return true;
    }
    return bindValue(stmt, p, lit.toValue(), error);
}

void Connection::queryInto(const StatementTemplate& t, std::span<const TemplateValue> values,
                           ResultSet& rows) {
    const Result r = runTemplate(t, values, true, &rows);
    if (!r.hasRows)
        rows.clearRows();
}

Connection::Result Connection::runTemplate(const StatementTemplate& t,
                                           std::span<const TemplateValue> values, bool readRows,
                                           ResultSet* into) {
    bool bindable = t.m_bindable && !statementLog() && qsizetype(values.size()) >= t.m_values;
    // a number standing alone is a literal only while it has no sign
    for (size_t k = 0; bindable && k < t.m_holes.size(); ++k) {
        const StatementTemplate::Hole& h = t.m_holes[k];
        const TemplateValue& v = values[size_t(h.value)];
        bindable =
            !h.quote.isNull() || (v.kind() == TemplateValue::Kind::Integer && v.integer() >= 0);
    }
    std::shared_ptr<TemplatePrepared> p;
    if (bindable) {
        p = t.m_prepared.lock();
        if (!p || p->owner != this) {
            p = preparedTemplate(t);
            t.m_prepared = p;
        }
    }
    if (!p || !p->statement)
        return run(t.text(values), readRows, into);

    BackendStatement& stmt = *p->statement;
    try {
        QString error;
        for (size_t k = 0; k < p->params.size(); ++k) {
            const ParamSlot& slot = p->params[k];
            const int hole = p->slotHole[k];
            if (hole < 0) {
                stmt.bind(slot.number, p->slotValue[k]);
                continue;
            }
            const StatementTemplate::Hole& h = t.m_holes[size_t(hole)];
            const TemplateValue& v = values[size_t(h.value)];
            ShapeLiteral& lit = m_holeLiteral;
            if (h.quote.isNull()) {
                lit.kind = ShapeLiteral::Kind::Integer;
                lit.integer = v.integer();
            } else if (v.kind() == TemplateValue::Kind::Money &&
                       slot.target.type == JetType::Float) {
                // the number its currency text reads as, without the text
                stmt.bindReal(slot.number, v.money().toDouble());
                continue;
            } else {
                lit.kind = ShapeLiteral::Kind::Text;
                if (v.kind() == TemplateValue::Kind::Text ||
                    v.kind() == TemplateValue::Kind::Date) {
                    lit.view = v.text();
                } else {
                    m_holeText = v.toText();
                    lit.view = m_holeText;
                }
            }
            if (!bindLiteral(stmt, slot, lit, &error))
                fail(t.text(values), error);
        }
        const Result result = step(stmt, readRows, into);
        ++m_boundTemplateRuns;
        return result;
    } catch (const BackendError& e) {
        fail(t.text(values), e.reason, e.busy);
    } catch (const std::bad_alloc&) {
        fail(t.text(values), QStringLiteral("out of memory"));
    }
}

std::shared_ptr<TemplatePrepared> Connection::preparedTemplate(const StatementTemplate& t) {
    if (const auto it = m_templates.constFind(t.m_text); it != m_templates.constEnd())
        return *it;
    auto p = std::make_shared<TemplatePrepared>();
    p->owner = this;
    // kept until the schema changes, also when the template runs through its text
    const auto keep = [this, &t, &p] {
        if (m_templates.size() >= CacheLimit)
            m_templates.clear();
        m_templates.insert(t.m_text, p);
        return p;
    };
    // the pattern with a stand-in literal in every hole; where each hole's literal starts
    QString probe;
    std::vector<qsizetype> literalStart;
    qsizetype copied = 0;
    for (const StatementTemplate::Hole& h : t.m_holes) {
        probe += QStringView(t.m_text).mid(copied, h.start - copied);
        literalStart.push_back(h.quote.isNull() ? probe.size() : probe.size() - 1);
        probe += u'0';
        copied = h.start + h.length;
    }
    probe += QStringView(t.m_text).mid(copied);

    Translation tr;
    std::vector<JetToken> tokens;
    std::vector<int> lifted;
    try {
        tokens = tokenizeJet(probe);
        lifted = liftedLiterals(tokens);
        tr = m_translator.translate(probe, tokens, lifted);
    } catch (const DbError&) {
        return keep(); // the text says what is wrong, run by run
    }
    if (tr.kind != Translation::Kind::Statement)
        return keep();
    // which lifted literal is which hole
    std::vector<int> holeOfLiteral;
    std::vector<Value> literals;
    size_t matched = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (lifted[i] < 0)
            continue;
        int hole = -1;
        for (size_t k = 0; k < literalStart.size(); ++k)
            if (literalStart[k] == tokens[i].pos)
                hole = int(k);
        matched += hole >= 0;
        holeOfLiteral.push_back(hole);
        literals.push_back(hole >= 0 ? Value() : literalValue(tokens[i]));
    }
    if (matched != t.m_holes.size())
        return keep(); // a hole where no literal is bound (an ORDER BY position, …)
    std::vector<ParamSlot> params = tr.params;
    std::vector<int> slotHole;
    std::vector<Value> slotValue;
    for (const ParamSlot& slot : params) {
        const int hole = holeOfLiteral[size_t(slot.literalIndex)];
        slotHole.push_back(hole);
        Value fixed;
        if (hole < 0) {
            const Value& literal = literals[size_t(slot.literalIndex)];
            QString error;
            const auto converted = slot.target.type == JetType::Unknown
                                       ? std::optional<Value>(literal)
                                       : valueForColumn(literal, slot.target, slot.column, &error);
            if (!converted && !slot.dateIfReadable)
                return keep(); // fails at every run: the text says so
            fixed = converted ? *converted : literal;
        }
        slotValue.push_back(fixed);
    }
    try {
        p->statement = m_backend->prepare(tr.sql);
    } catch (const BackendError&) {
        return p; // not kept: the text reports it, and a later run tries again
    }
    p->params = std::move(params);
    p->slotHole = std::move(slotHole);
    p->slotValue = std::move(slotValue);
    return keep();
}

Connection::Result Connection::runSchema(const QString& statement, const Translation& tr) {
    try {
        m_backend->execute(tr.sql);
    } catch (const BackendError& e) {
        schemaChanged();
        fail(statement, e.reason, e.busy);
    }
    schemaChanged();
    return {};
}

Connection::Result Connection::runSelectInto(const QString& statement, const Translation& tr,
                                             const std::vector<Value>& literals) {
    // The new table gets the Jet types of the selected columns: the declared type of a column,
    // else what the expression tells (Cdbl → float, …), else the first row's value.
    Result result;
    const SqlDialect& d = m_backend->dialect();
    beginTransaction();
    try {
        std::unique_ptr<BackendStatement> select;
        ResultSet rows;
        try {
            select = m_backend->prepare(tr.sql);
            bindParams(*select, tr.params, literals, statement);
            // the columns and the first row tell the types; the rest is copied by the engine
            select->readRows(rows, 1);
            select.reset();
        } catch (const BackendError& e) {
            fail(statement, e.reason, e.busy);
        }
        QStringList defs, names;
        for (int c = 0; c < rows.columns.size(); ++c) {
            JetColumnType type = rows.types[size_t(c)];
            if (type.type == JetType::Unknown && size_t(c) < tr.inferredTypes.size())
                type = tr.inferredTypes[size_t(c)];
            if (type.type == JetType::Unknown && rows.rowCount > 0) {
                switch (rows.at(0, c).kind()) {
                case Value::Kind::Integer:
                case Value::Kind::Bool:
                    type = {JetType::Long, 0};
                    break;
                case Value::Kind::Real:
                    type = {JetType::Float, 0};
                    break;
                case Value::Kind::Date:
                    type = {JetType::Date, 0};
                    break;
                default:
                    type = {JetType::Text, 255};
                }
            }
            if (type.type == JetType::Unknown)
                type = {JetType::Text, 255};
            defs << d.quoteName(rows.columns[c]) + u' ' + d.columnType(type);
            names << d.quoteName(rows.columns[c]);
        }
        try {
            m_backend->execute(QStringLiteral("CREATE TABLE ") + d.quoteName(tr.intoTable) +
                               QStringLiteral(" (") + defs.join(QStringLiteral(", ")) + u')');
            schemaChanged();
            if (rows.rowCount > 0) {
                auto copy =
                    m_backend->prepare(QStringLiteral("INSERT INTO ") + d.quoteName(tr.intoTable) +
                                       QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                                       QStringLiteral(") ") + tr.sql);
                bindParams(*copy, tr.params, literals, statement);
                copy->run(nullptr, &result.changes);
            }
        } catch (const BackendError& e) {
            fail(statement, e.reason, e.busy);
        }
        commitTransaction(statement);
    } catch (...) {
        rollbackTransaction();
        schemaChanged();
        throw;
    }
    return result;
}

void Connection::forgetSchema() {
    m_catalog.invalidate();
    m_cache.clear();
    m_templates.clear();
}

void Connection::schemaChanged() {
    forgetSchema();
    if (m_depth > 0)
        m_schemaChangedInTransaction = true;
}

void Connection::clearStatementCache() {
    forgetSchema();
    m_shape = StatementShape();
}

void Connection::updateStatistics() {
    try {
        m_backend->updateStatistics();
    } catch (const BackendError& e) {
        fail(QStringLiteral("ANALYZE"), e.reason, e.busy);
    }
}

QStringList Connection::tableNames() {
    try {
        return m_backend->tableNames();
    } catch (const BackendError& e) {
        fail(QStringLiteral("tables"), e.reason, e.busy);
    }
}

void Connection::beginTransaction() {
    try {
        if (m_depth == 0)
            m_backend->begin();
        else
            m_backend->savepoint(QStringLiteral("level%1").arg(m_depth));
    } catch (const BackendError& e) {
        fail(QStringLiteral("BEGIN"), e.reason, e.busy);
    }
    ++m_depth;
}

void Connection::commitTransaction(const QString& statement) {
    if (m_depth == 0)
        return;
    try {
        if (m_depth == 1)
            m_backend->commit();
        else
            m_backend->release(QStringLiteral("level%1").arg(m_depth - 1));
    } catch (const BackendError& e) {
        fail(statement.isEmpty() ? QStringLiteral("COMMIT") : statement, e.reason, e.busy);
    }
    if (--m_depth == 0)
        m_schemaChangedInTransaction = false;
}

void Connection::rollbackTransaction() {
    if (m_depth == 0)
        return;
    --m_depth;
    try {
        if (m_depth == 0)
            m_backend->rollback();
        else
            m_backend->rollbackTo(QStringLiteral("level%1").arg(m_depth));
    } catch (const BackendError&) {
        // the engine already rolled back (for example after a failed COMMIT)
    }
    // a schema change rolled back with the rest: what the catalog learnt of it is wrong now
    if (m_schemaChangedInTransaction)
        forgetSchema();
    if (m_depth == 0)
        m_schemaChangedInTransaction = false;
}
