#pragma once

#include "core/currency.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTime>
#include <QVariant>

#include <initializer_list>
#include <optional>
#include <stdexcept>

namespace store {

// A failed statement. Thrown by the helpers below so that a multi-statement
// operation inside a Transaction rolls back on the way out; caught where the
// operation started and shown there.
class DatabaseError : public std::runtime_error {
public:
    enum class Cause {
        Statement,
        // The server went away: nothing works until the connection is opened again.
        ConnectionLost,
        // The server went away while it was committing: the transaction may
        // or may not have been kept.
        CommitUncertain,
        // A station's row under an epoch this console no longer holds:
        // another console owns the station now.
        NotOwner,
    };
    explicit DatabaseError(const QString& text, Cause cause = Cause::Statement)
        : std::runtime_error(text.toStdString())
        , m_text(text)
        , m_cause(cause) {}
    const QString& text() const { return m_text; }
    bool connectionLost() const {
        return m_cause == Cause::ConnectionLost || m_cause == Cause::CommitUncertain;
    }
    bool notOwner() const { return m_cause == Cause::NotOwner; }
    bool commitUncertain() const { return m_cause == Cause::CommitUncertain; }

private:
    QString m_text;
    Cause m_cause;
};

// The error of a statement that failed on db: its text, and whether it
// failed because the server went away.
DatabaseError failedStatement(const QSqlDatabase& db, const QSqlError& error);
// Throws what a statement would meet on db when its connection is closed
// (the driver closes it when the server goes away).
void requireOpen(const QSqlDatabase& db);

// Prepares sql, binds values in order to its "?" placeholders and executes it.
QSqlQuery run(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values = {});
QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantList& values);
// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values = {});

// The console that writes through a connection, by the connection's name:
// tickets and account movements record it, so every console's sales can be
// told apart on a shared database. Empty (none recorded) until a console
// names itself; an empty name forgets the connection.
void setWritingConsole(const QString& connectionName, const QString& console);
QString writingConsole(const QSqlDatabase& db);

// Reading stored values: empty reads as false, 0, "" (and an invalid date or time).
bool toBool(const QVariant& v);
int toInt(const QVariant& v);
double toDouble(const QVariant& v);
QString toText(const QVariant& v);
Currency toCurrency(const QVariant& v);
QDate toDate(const QVariant& v);
QTime toTime(const QVariant& v);
std::optional<int> toOptionalInt(const QVariant& v);

// Writing: the stored forms of the typed values.
inline QVariant sqlValue(bool v) {
    return QVariant(v ? 1 : 0);
}
inline QVariant sqlValue(int v) {
    return QVariant(v);
}
inline QVariant sqlValue(double v) {
    return QVariant(v);
}
inline QVariant sqlValue(const QString& v) {
    return QVariant(v);
}
inline QVariant sqlValue(Currency v) {
    return QVariant(static_cast<qlonglong>(v.raw()));
}
QVariant sqlValue(const QDate& v);
QVariant sqlValue(const QTime& v);
QVariant sqlValue(const std::optional<int>& v);

QString dateText(const QDate& d);
QString timeText(const QTime& t);

} // namespace store
