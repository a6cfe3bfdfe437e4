#include "store/engine.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <libpq-fe.h>

#include <memory>
#include <vector>

namespace store {

namespace {

struct ConninfoOptions {
    void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Conninfo = std::unique_ptr<PQconninfoOption, ConninfoOptions>;

Result<Conninfo> parse(const QString& uri) {
    char* error = nullptr;
    Conninfo options(PQconninfoParse(uri.toUtf8().constData(), &error));
    if (!options) {
        const QString text = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("URI no válida");
        PQfreemem(error);
        return Result<Conninfo>::failure(
            QStringLiteral("La dirección de la base de datos no es válida: %1").arg(text));
    }
    return Result<Conninfo>(std::move(options));
}

QString quotedOption(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

Engine engineOf(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSQL : Engine::SQLite;
}

QString driverName(Engine engine) {
    return engine == Engine::PostgreSQL ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

bool isServerAddress(const QString& where) {
    const QString w = where.trimmed();
    return w.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           w.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString withoutPassword(const QString& where) {
    if (!isServerAddress(where))
        return where;
    // user:password@ in the authority, and password=… among the parameters.
    QString uri = where.trimmed();
    const qsizetype scheme = uri.indexOf(QLatin1String("://")) + 3;
    const qsizetype authorityEnd = [&] {
        const qsizetype slash = uri.indexOf(QLatin1Char('/'), scheme);
        const qsizetype query = uri.indexOf(QLatin1Char('?'), scheme);
        if (slash < 0)
            return query < 0 ? uri.size() : query;
        return query < 0 ? slash : qMin(slash, query);
    }();
    const qsizetype at = uri.lastIndexOf(QLatin1Char('@'), authorityEnd - 1);
    if (at >= scheme) {
        const qsizetype colon = uri.indexOf(QLatin1Char(':'), scheme);
        if (colon >= 0 && colon < at)
            uri.remove(colon, at - colon);
    }
    const qsizetype query = uri.indexOf(QLatin1Char('?'));
    if (query >= 0) {
        QStringList kept;
        for (const QString& pair : uri.mid(query + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            if (!pair.startsWith(QLatin1String("password="), Qt::CaseInsensitive))
                kept << pair;
        }
        uri = uri.left(query) + (kept.isEmpty() ? QString() : QLatin1Char('?') + kept.join(QLatin1Char('&')));
    }
    return uri;
}

Status configureServerConnection(QSqlDatabase& db, const QString& uri, const QString& password) {
    Result<Conninfo> parsed = parse(uri.trimmed());
    if (!parsed)
        return Status::failure(parsed.error());
    QStringList options;
    bool timeoutGiven = false;
    bool userTimeoutGiven = false;
    for (const PQconninfoOption* o = parsed.value().get(); o->keyword; ++o) {
        if (!o->val || !*o->val)
            continue;
        const QString keyword = QString::fromLatin1(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        if (keyword == QLatin1String("host"))
            db.setHostName(value);
        else if (keyword == QLatin1String("port"))
            db.setPort(value.toInt());
        else if (keyword == QLatin1String("dbname"))
            db.setDatabaseName(value);
        else if (keyword == QLatin1String("user"))
            db.setUserName(value);
        else if (keyword == QLatin1String("password"))
            db.setPassword(value);
        else {
            timeoutGiven = timeoutGiven || keyword == QLatin1String("connect_timeout");
            userTimeoutGiven = userTimeoutGiven || keyword == QLatin1String("tcp_user_timeout");
            options << keyword + QLatin1Char('=') + quotedOption(value);
        }
    }
    if (!password.isEmpty())
        db.setPassword(password);
    // A server that does not answer is reported within seconds, and a cut
    // network is noticed by the keepalives instead of after two hours; a
    // statement sent into a cut network fails once it has gone unacknowledged
    // for a few seconds, rather than after the kernel's quarter of an hour.
    if (!timeoutGiven)
        options << QStringLiteral("connect_timeout=5");
    if (!userTimeoutGiven)
        options << QStringLiteral("tcp_user_timeout=5000");
    options << QStringLiteral("keepalives_idle=10") << QStringLiteral("keepalives_interval=5")
            << QStringLiteral("keepalives_count=3") << QStringLiteral("application_name=quintor");
    db.setConnectOptions(options.join(QLatin1Char(';')));
    return Status::success();
}

namespace {
QString uriParameter(const QString& uri, const char* keyword) {
    const Result<Conninfo> parsed = parse(uri.trimmed());
    if (!parsed)
        return QString();
    for (const PQconninfoOption* o = parsed.value().get(); o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0 && o->val)
            return QString::fromUtf8(o->val);
    }
    return QString();
}
} // namespace

QString serverDatabaseName(const QString& uri) {
    return uriParameter(uri, "dbname");
}

QString serverPassword(const QString& uri) {
    return isServerAddress(uri) ? uriParameter(uri, "password") : QString();
}

namespace {
// libpq's connection behind a connection of the PostgreSQL driver; null
// when there is none (another engine, or never opened).
PGconn* serverConnection(const QSqlDatabase& db) {
    if (engineOf(db) != Engine::PostgreSQL || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.data());
}

PGTransactionStatusType transactionStatus(const QSqlDatabase& db) {
    if (engineOf(db) != Engine::PostgreSQL || !db.driver())
        return PQTRANS_IDLE;
    PGconn* connection = serverConnection(db);
    return connection ? PQtransactionStatus(connection) : PQTRANS_UNKNOWN;
}
} // namespace

bool inTransaction(const QSqlDatabase& db) {
    const PGTransactionStatusType status = transactionStatus(db);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

bool transactionFailed(const QSqlDatabase& db) {
    return transactionStatus(db) == PQTRANS_INERROR;
}

QString sqliteVersion() {
    // Asked of the engine itself, on a connection of its own in memory.
    const QString name = QStringLiteral("quintor-sqlite-version");
    QString version;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driverName(Engine::SQLite), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT sqlite_version()")) && q.next())
                version = q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return version;
}

QString libpqVersion() {
    const int v = PQlibVersion();
    return QStringLiteral("%1.%2").arg(v / 10000).arg(v % 10000);
}

bool serverWantsPassword(const QString& uri, const QString& password) {
    Result<Conninfo> parsed = parse(uri.trimmed());
    if (!parsed)
        return false;
    std::vector<QByteArray> keys;
    std::vector<QByteArray> values;
    for (const PQconninfoOption* o = parsed.value().get(); o->keyword; ++o) {
        if (!o->val || !*o->val || (qstrcmp(o->keyword, "password") == 0 && !password.isEmpty()))
            continue;
        keys.emplace_back(o->keyword);
        values.emplace_back(o->val);
    }
    if (!password.isEmpty()) {
        keys.emplace_back("password");
        values.emplace_back(password.toUtf8());
    }
    keys.emplace_back("connect_timeout");
    values.emplace_back("5");
    std::vector<const char*> k;
    std::vector<const char*> v;
    for (size_t i = 0; i < keys.size(); ++i) {
        k.push_back(keys[i].constData());
        v.push_back(values[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    PGconn* connection = PQconnectdbParams(k.data(), v.data(), 0);
    // No password given where one is wanted, or one given and refused.
    const bool wants = PQconnectionNeedsPassword(connection) ||
                       (PQstatus(connection) == CONNECTION_BAD && PQconnectionUsedPassword(connection));
    PQfinish(connection);
    return wants;
}

bool passwordRefused(const QSqlError& error) {
    // 28P01: wrong password; 28000 covers a role that may not log in. libpq
    // says "no password supplied" before the server is even asked.
    const QString code = error.nativeErrorCode();
    const QString text = error.text();
    return code == QLatin1String("28P01") || text.contains(QLatin1String("no password supplied")) ||
           text.contains(QLatin1String("password authentication failed")) ||
           text.contains(QLatin1String("fe_sendauth")) ||
           // A refusal before the session exists comes in the server's language.
           text.contains(QStringLiteral("autentificación password falló")) ||
           text.contains(QStringLiteral("autentificación por contraseña falló"));
}

bool connectionLost(const QSqlDatabase& db, const QSqlError& error) {
    if (engineOf(db) != Engine::PostgreSQL)
        return false;
    // Class 08 (connection exception) and 57P0x (the server shutting down);
    // libpq's own failures carry no code at all.
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")))
        return true;
    if (!code.isEmpty())
        return false;
    const QString text = error.text();
    return text.contains(QLatin1String("server closed the connection")) ||
           text.contains(QLatin1String("no connection to the server")) ||
           text.contains(QLatin1String("connection to server")) ||
           text.contains(QLatin1String("terminating connection")) ||
           text.contains(QLatin1String("could not receive data")) ||
           text.contains(QLatin1String("could not send data"));
}

bool connectionBroken(const QSqlDatabase& db, QString* why) {
    if (engineOf(db) != Engine::PostgreSQL)
        return false;
    PGconn* connection = db.isOpen() ? serverConnection(db) : nullptr;
    if (connection && PQstatus(connection) == CONNECTION_OK) {
        // A server that shut down or restarted said so and closed the
        // socket; libpq learns it only by reading, and the goodbye and the
        // end of the stream may take two reads. The driver reads the
        // notifications it subscribed to from the socket itself: then a
        // failed statement has to tell.
        if (db.driver()->subscribedToNotifications().isEmpty()) {
            for (int read = 0; read < 2 && PQconsumeInput(connection); ++read) {
            }
        }
        if (PQstatus(connection) == CONNECTION_OK)
            return false;
    }
    if (why)
        *why = connection ? QString::fromUtf8(PQerrorMessage(connection)).trimmed()
                          : QStringLiteral("no connection to the server");
    return true;
}

bool serverAnswers(const QString& uri) {
    const QByteArray where = uri.trimmed().toUtf8();
    // The URI's own connect_timeout, expanded after ours, wins.
    const char* keys[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"5", where.constData(), nullptr};
    return PQpingParams(keys, values, 1) == PQPING_OK;
}

} // namespace store
