#include "store/sql.h"

#include "store/engine.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlError>

namespace store {

namespace {

QString describe(const QSqlDatabase& db, const QSqlError& e) {
    QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (engineOf(db) == Engine::PostgreSQL) {
        // The server's report runs to several lines in its own language
        // (severity, detail, context, the error's code): the first line
        // without its severity is the message an operator can read.
        static const QRegularExpression severity(QStringLiteral("^[^\\s:]+:\\s+"));
        static const QRegularExpression code(QStringLiteral("\\s*\\([0-9A-Z]{5}\\)$"));
        text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (!text.isEmpty() && text.at(0).isUpper())
            text.remove(severity);
        text.remove(code);
    }
    if (text.trimmed().isEmpty())
        text = QStringLiteral("Error de base de datos");
    return text;
}

QSqlQuery runList(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    requireOpen(db);
    QSqlQuery q(db);
    // PostgreSQL's driver streams a forward-only result row by row and drops
    // the rest of it when the connection runs another statement, which the
    // callers do while they read; there it fetches the whole result at once.
    q.setForwardOnly(engineOf(db) == Engine::SQLite);
    // PostgreSQL's driver prepares on the server, where BEGIN, SAVEPOINT and
    // the like cannot be prepared: a statement without values runs as it is.
    if (values.isEmpty()) {
        if (!q.exec(sql))
            throw failedStatement(db, q.lastError());
        return q;
    }
    if (!q.prepare(sql))
        throw failedStatement(db, q.lastError());
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        throw failedStatement(db, q.lastError());
    return q;
}

// Connections are per thread; the names may be read from any.
QMutex g_writersLock;
QHash<QString, QString> g_writers;

} // namespace

void setWritingConsole(const QString& connectionName, const QString& console) {
    const QMutexLocker lock(&g_writersLock);
    if (console.isEmpty())
        g_writers.remove(connectionName);
    else
        g_writers.insert(connectionName, console);
}

QString writingConsole(const QSqlDatabase& db) {
    const QMutexLocker lock(&g_writersLock);
    return g_writers.value(db.connectionName());
}

DatabaseError failedStatement(const QSqlDatabase& db, const QSqlError& error) {
    const bool lost = connectionLost(db, error) || connectionBroken(db);
    return DatabaseError(describe(db, error),
                         lost ? DatabaseError::Cause::ConnectionLost : DatabaseError::Cause::Statement);
}

void requireOpen(const QSqlDatabase& db) {
    if (!db.isOpen())
        throw failedStatement(db, QSqlError(QStringLiteral("no connection to the server"), QString(),
                                            QSqlError::ConnectionError));
}

QSqlQuery run(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values) {
    return runList(db, sql, QVariantList(values));
}

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    return runList(db, sql, values);
}

QVariant scalar(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values) {
    QSqlQuery q = runList(db, sql, QVariantList(values));
    if (q.next())
        return q.value(0);
    return QVariant();
}

bool toBool(const QVariant& v) {
    return !v.isNull() && v.toLongLong() != 0;
}
int toInt(const QVariant& v) {
    return v.isNull() ? 0 : v.toInt();
}
double toDouble(const QVariant& v) {
    return v.isNull() ? 0.0 : v.toDouble();
}
QString toText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}
Currency toCurrency(const QVariant& v) {
    return Currency::fromRaw(v.isNull() ? 0 : v.toLongLong());
}

QDate toDate(const QVariant& v) {
    if (v.isNull())
        return QDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QTime toTime(const QVariant& v) {
    if (v.isNull())
        return QTime();
    QString s = v.toString();
    // A date-time text keeps its time part.
    if (s.size() > 8 && s.contains(QLatin1Char(' ')))
        s = s.section(QLatin1Char(' '), -1);
    QTime t = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
    if (!t.isValid())
        t = QTime::fromString(s, QStringLiteral("H:mm:ss"));
    return t;
}

std::optional<int> toOptionalInt(const QVariant& v) {
    if (v.isNull())
        return std::nullopt;
    return v.toInt();
}

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}
QString timeText(const QTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QVariant sqlValue(const QDate& v) {
    return v.isValid() ? QVariant(dateText(v)) : QVariant();
}
QVariant sqlValue(const QTime& v) {
    return v.isValid() ? QVariant(timeText(v)) : QVariant();
}
QVariant sqlValue(const std::optional<int>& v) {
    return v ? QVariant(*v) : QVariant();
}

} // namespace store
