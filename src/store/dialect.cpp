#include "store/dialect.h"

#include "store/sql.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace store {

namespace {

// Type words of the old statements, longest first where one is the start of another.
struct TypeMapping {
    const char* pattern;
    const char* type;
};

constexpr TypeMapping kTypes[] = {
    {R"(\btext\s*\(\s*\d+\s*\))", "TEXT"},
    {R"(\byesno\b)", "INTEGER DEFAULT 0"},
    {R"(\bcurrency\b)", "INTEGER"},
    {R"(\binteger\b)", "INTEGER"},
    {R"(\bint\b)", "INTEGER"},
    {R"(\bbyte\b)", "INTEGER"},
    {R"(\blong\b)", "INTEGER"},
    {R"(\bstring\b)", "TEXT"},
    {R"(\bmemo\b)", "TEXT"},
    {R"(\bsingle\b)", "REAL"},
    {R"(\bdouble\b)", "REAL"},
    {R"(\bdatetime\b)", "TEXT"},
};

QString mapColumnTypes(QString columns) {
    for (const TypeMapping& m : kTypes) {
        const QRegularExpression re(QString::fromLatin1(m.pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        columns.replace(re, QString::fromLatin1(m.type));
    }
    return columns;
}

} // namespace

QString engineStatement(const QString& statement) {
    const QString trimmed = statement.trimmed();
    static const QRegularExpression alterAdd(
        QStringLiteral(R"(^alter\s+table\s+(\w+)\s+add\s+(?!column\b)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression createTable(QStringLiteral(R"(^create\s+table\s+(\w+)\s*\((.*)\)\s*$)"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch m = alterAdd.match(trimmed); m.hasMatch())
        return QStringLiteral("ALTER TABLE ") + m.captured(1) + QStringLiteral(" ADD COLUMN ") +
               mapColumnTypes(m.captured(2).trimmed());
    if (const QRegularExpressionMatch m = createTable.match(trimmed); m.hasMatch()) {
        QString body = m.captured(2);
        // A counter is the table's key: our engine wants that said on the
        // column itself, so the separate key clause goes.
        static const QRegularExpression counter(QStringLiteral(R"((\w+)\s+counter\b)"),
                                                QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression keyClause(QStringLiteral(R"(,\s*primary\s+key\s*\(\s*\w+\s*\))"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (counter.match(body).hasMatch()) {
            body.replace(counter, QStringLiteral("\\1 INTEGER PRIMARY KEY AUTOINCREMENT"));
            body.remove(keyClause);
        }
        return QStringLiteral("CREATE TABLE ") + m.captured(1) + QStringLiteral(" (") +
               mapColumnTypes(body).simplified() + QLatin1Char(')');
    }
    return trimmed;
}

QString foldAscii(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(c.unicode() + u'a' - u'A'));
    }
    return folded;
}

bool sameKey(const QString& a, const QString& b) {
    return a.size() == b.size() && foldAscii(a) == foldAscii(b);
}

QString tableOrder() {
    return QStringLiteral("ORDER BY rowid");
}

QString caseless(Engine engine, const QString& operand) {
    if (engine == Engine::PostgreSQL)
        // lower() folds only A-Z under the "C" collation, whatever the server's locale.
        return QStringLiteral("lower(CAST(") + operand + QStringLiteral(" AS TEXT) COLLATE \"C\")");
    return operand + QStringLiteral(" COLLATE NOCASE");
}

QString caseless(const QSqlDatabase& db, const QString& operand) {
    return caseless(engineOf(db), operand);
}

QString equalsCaseless(const QSqlDatabase& db, const QString& operand) {
    return caseless(db, operand) + QStringLiteral(" = ") + caseless(db, QStringLiteral("?"));
}

QString likeCaseless(const QSqlDatabase& db, const QString& operand) {
    const Engine engine = engineOf(db);
    // SQLite's LIKE folds A-Z by itself.
    if (engine == Engine::SQLite)
        return operand + QStringLiteral(" LIKE ? ESCAPE '\\'");
    return caseless(engine, operand) + QStringLiteral(" LIKE ") + caseless(engine, QStringLiteral("?")) +
           QStringLiteral(" ESCAPE '\\'");
}

QString exact(const QSqlDatabase& db, const QString& operand) {
    return engineOf(db) == Engine::PostgreSQL ? operand + QStringLiteral(" COLLATE \"C\"")
                                              : operand + QStringLiteral(" COLLATE BINARY");
}

namespace {

QString pgColumnType(QString definition, bool& unique) {
    static const QRegularExpression nocaseUnique(QStringLiteral(R"(\bCOLLATE\s+NOCASE\s+UNIQUE\b)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nocase(QStringLiteral(R"(\s+COLLATE\s+NOCASE\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression counter(QStringLiteral(R"(\bINTEGER\s+PRIMARY\s+KEY\s+AUTOINCREMENT\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integer(QStringLiteral(R"(\bINTEGER\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression real(QStringLiteral(R"(\bREAL\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression text(QStringLiteral(R"(\bTEXT\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    unique = nocaseUnique.match(definition).hasMatch();
    if (unique)
        definition.replace(nocaseUnique, QString());
    definition.replace(nocase, QString());
    definition.replace(counter, QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    definition.replace(integer, QStringLiteral("BIGINT"));
    definition.replace(real, QStringLiteral("DOUBLE PRECISION"));
    definition.replace(text, QStringLiteral("TEXT COLLATE \"C\""));
    return definition.simplified();
}

// The column definitions of a CREATE TABLE body, split at top-level commas.
QStringList columnDefinitions(const QString& body) {
    QStringList parts;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (const QChar c : body) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('('))
            ++depth;
        if (!quoted && c == QLatin1Char(')'))
            --depth;
        if (!quoted && depth == 0 && c == QLatin1Char(',')) {
            parts << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        parts << current.trimmed();
    return parts;
}

} // namespace

QStringList schemaStatements(Engine engine, const QString& statement) {
    const QString trimmed = statement.trimmed();
    if (engine == Engine::SQLite)
        return {trimmed};
    static const QRegularExpression createTable(QStringLiteral(R"(^create\s+table\s+(\w+)\s*\((.*)\)\s*$)"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression addColumn(
        QStringLiteral(R"(^alter\s+table\s+(\w+)\s+add\s+column\s+(\w+)\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch m = createTable.match(trimmed); m.hasMatch()) {
        const QString table = m.captured(1);
        QStringList columns;
        QStringList after;
        bool hasCounter = false;
        for (const QString& definition : columnDefinitions(m.captured(2))) {
            const QString column = definition.section(QLatin1Char(' '), 0, 0);
            bool unique = false;
            const QString pg = pgColumnType(definition, unique);
            hasCounter = hasCounter || pg.contains(QLatin1String("IDENTITY"));
            columns << pg;
            if (unique)
                after << QStringLiteral("CREATE UNIQUE INDEX %1_%2_clave ON %1 (%3)")
                             .arg(table, column.toLower(), caseless(engine, column));
        }
        if (!hasCounter)
            columns << QStringLiteral("rowid BIGINT GENERATED BY DEFAULT AS IDENTITY");
        return QStringList{QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") +
                           columns.join(QStringLiteral(", ")) + QLatin1Char(')')} +
               after;
    }
    if (const QRegularExpressionMatch m = addColumn.match(trimmed); m.hasMatch()) {
        bool unique = false;
        return {QStringLiteral("ALTER TABLE ") + m.captured(1) + QStringLiteral(" ADD COLUMN ") +
                m.captured(2) + QLatin1Char(' ') + pgColumnType(m.captured(3), unique)};
    }
    return {trimmed};
}

namespace {
const QLatin1String kVersionTable("quintor_version");
}

int userVersion(const QSqlDatabase& db) {
    if (engineOf(db) == Engine::SQLite)
        return toInt(scalar(db, QStringLiteral("PRAGMA user_version")));
    if (!db.tables().contains(kVersionTable, Qt::CaseInsensitive))
        return 0;
    return toInt(scalar(db, QStringLiteral("SELECT MAX(version) FROM ") + kVersionTable));
}

void setUserVersion(const QSqlDatabase& db, int version) {
    if (engineOf(db) == Engine::SQLite) {
        run(db, QStringLiteral("PRAGMA user_version = ") + QString::number(version));
        return;
    }
    run(db,
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + kVersionTable + QStringLiteral(" (version BIGINT)"));
    run(db, QStringLiteral("DELETE FROM ") + kVersionTable);
    run(db, QStringLiteral("INSERT INTO ") + kVersionTable + QStringLiteral(" (version) VALUES (?)"),
        {version});
}

bool isEngineTable(const QString& table) {
    return table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ||
           table.compare(kVersionTable, Qt::CaseInsensitive) == 0;
}

namespace {
ColumnInfo::Kind kindOf(const QString& declared) {
    const QString type = declared.toUpper();
    // SQLite's own affinity rules, which PostgreSQL's type names also follow.
    if (type.contains(QLatin1String("INT")))
        return ColumnInfo::Kind::Integer;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")) ||
        type.contains(QLatin1String("CLOB")) || type.isEmpty())
        return ColumnInfo::Kind::Text;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
        type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("NUMERIC")))
        return ColumnInfo::Kind::Real;
    return ColumnInfo::Kind::Text;
}
} // namespace

QList<ColumnInfo> tableColumns(const QSqlDatabase& db, const QString& table) {
    QList<ColumnInfo> columns;
    if (engineOf(db) == Engine::PostgreSQL) {
        QSqlQuery q =
            run(db,
                QStringLiteral("SELECT column_name, data_type, is_identity FROM information_schema.columns "
                               "WHERE table_schema = current_schema() AND table_name = ? "
                               "ORDER BY ordinal_position"),
                {table.toLower()});
        while (q.next()) {
            const QString name = q.value(0).toString();
            if (isHiddenColumn(name))
                continue;
            columns << ColumnInfo{name, kindOf(q.value(1).toString()),
                                  q.value(2).toString() == QLatin1String("YES")};
        }
        return columns;
    }
    const bool autoincrement =
        toText(scalar(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"),
                      {table}))
            .contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    QSqlQuery q = run(db, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), {table});
    while (q.next()) {
        const ColumnInfo::Kind kind = kindOf(q.value(1).toString());
        columns << ColumnInfo{q.value(0).toString(), kind,
                              autoincrement && kind == ColumnInfo::Kind::Integer && q.value(2).toInt() == 1};
    }
    return columns;
}

QString columnDefinition(const ColumnInfo& column) {
    if (column.counter)
        return column.name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    switch (column.kind) {
    case ColumnInfo::Kind::Integer:
        return column.name + QStringLiteral(" INTEGER");
    case ColumnInfo::Kind::Real:
        return column.name + QStringLiteral(" REAL");
    case ColumnInfo::Kind::Text:
        break;
    }
    return column.name + QStringLiteral(" TEXT");
}

qint64 counterValue(const QSqlDatabase& db, const QString& table, const QString& column) {
    if (engineOf(db) == Engine::PostgreSQL) {
        const QString sequence = toText(scalar(db, QStringLiteral("SELECT pg_get_serial_sequence(?, ?)"),
                                               {table.toLower(), column.toLower()}));
        if (sequence.isEmpty())
            return 0;
        // The name comes from the server itself, already quoted where it must be.
        QSqlQuery q = run(db, QStringLiteral("SELECT last_value, is_called FROM ") + sequence);
        if (!q.next())
            return 0;
        return q.value(1).toBool() ? q.value(0).toLongLong() : q.value(0).toLongLong() - 1;
    }
    if (!db.tables().contains(QStringLiteral("sqlite_sequence")))
        return 0;
    return scalar(db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table}).toLongLong();
}

void setCounterValue(const QSqlDatabase& db, const QString& table, const QString& column, qint64 value) {
    if (engineOf(db) == Engine::PostgreSQL) {
        run(db, QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), ?, ?)"),
            {table.toLower(), column.toLower(), qMax<qint64>(value, 1), value > 0});
        return;
    }
    // The engine makes its own bookkeeping table with the first counter.
    if (!db.tables().contains(QStringLiteral("sqlite_sequence")))
        return;
    run(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {table});
    if (value > 0)
        run(db, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, value});
}

QString rowOrderColumn(const QSqlDatabase& db, const QString& table) {
    const QList<ColumnInfo> columns = tableColumns(db, table);
    for (const ColumnInfo& c : columns) {
        if (c.counter)
            return c.name;
    }
    if (engineOf(db) == Engine::SQLite)
        return QStringLiteral("rowid");
    const bool hidden = toInt(scalar(db,
                                     QStringLiteral("SELECT COUNT(*) FROM information_schema.columns WHERE "
                                                    "table_schema = current_schema() AND table_name = ? AND "
                                                    "column_name = 'rowid'"),
                                     {table.toLower()})) > 0;
    return hidden ? QStringLiteral("rowid") : QString();
}

bool isHiddenColumn(const QString& column) {
    return column.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0;
}

} // namespace store
