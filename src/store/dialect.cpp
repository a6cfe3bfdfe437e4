#include "store/dialect.h"

#include "store/sql.h"

#include <QRegularExpression>

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

bool isHiddenColumn(const QString& column) {
    return column.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0;
}

} // namespace store
