#include "store/datamodule.h"

#include "store/opciones.h"

#include "store/dialect.h"
#include "store/engine.h"
#include "store/privatefiles.h"
#include "store/sql.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace {
int g_connections = 0;

QString errorText(const QSqlError& e) {
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return text.trimmed().isEmpty() ? QStringLiteral("Error de base de datos") : text;
}
} // namespace

namespace store {

Status checkWritable(QSqlDatabase db) {
    if (!db.isOpen())
        return Status::failure(errorText(db.lastError()));
    // Every version of our schema has the options row; a file that is not
    // ours yet (before an upgrade) is asked to create a table instead. The
    // value must change: the engine skips a page whose bytes stay the same,
    // and would then never try the journal that a read-only folder refuses.
    const bool ours = db.tables().contains(QStringLiteral("opciones"), Qt::CaseInsensitive);
    if (!db.transaction())
        return Status::failure(errorText(db.lastError()));
    QString error;
    {
        QSqlQuery write(db);
        if (!write.exec(ours ? QStringLiteral("UPDATE opciones SET NUM_TICK = NUM_TICK + 1")
                             : QStringLiteral("CREATE TABLE quintor_prueba_escritura (x INTEGER)")))
            error = errorText(write.lastError());
    }
    db.rollback();
    return error.isEmpty() ? Status::success() : Status::failure(error);
}

} // namespace store

TDataModule1::TDataModule1(QObject* parent)
    : QObject(parent)
    , m_connectionName(QStringLiteral("quintor-%1").arg(++g_connections)) {}

TDataModule1::~TDataModule1() {
    store::setWritingConsole(m_connectionName, QString());
    close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

void TDataModule1::setConsoleName(const QString& name) {
    store::setWritingConsole(m_connectionName, name);
}

bool TDataModule1::engineAvailable() {
    return QSqlDatabase::isDriverAvailable(store::driverName(store::Engine::SQLite));
}

void TDataModule1::useDriver(const QString& driver) {
    if (QSqlDatabase::contains(m_connectionName)) {
        m_db = QSqlDatabase::database(m_connectionName, false);
        if (m_db.driverName() == driver)
            return;
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_db = QSqlDatabase::addDatabase(driver, m_connectionName);
}

Status TDataModule1::openServer(const QString& uri, const QString& password) {
    useDriver(store::driverName(store::Engine::PostgreSQL));
    if (!m_db.isValid())
        return Status::failure(QStringLiteral("Falta el controlador de PostgreSQL (libqt6sql6-psql)."));
    if (const Status configured = store::configureServerConnection(m_db, uri, password); !configured)
        return configured;
    if (!m_db.open()) {
        m_lastOpenError = m_db.lastError();
        m_db.close();
        m_passwordRefused =
            store::passwordRefused(m_lastOpenError) || store::serverWantsPassword(uri, password);
        return Status::failure(errorText(m_lastOpenError));
    }
    // Dates and times are text; the session speaks UTF-8 and keeps
    // standard strings, whatever the server's defaults.
    QSqlQuery settings(m_db);
    settings.exec(QStringLiteral("SET client_encoding = 'UTF8'"));
    settings.exec(QStringLiteral("SET standard_conforming_strings = on"));
    // The notices of IF NOT EXISTS and the like are nobody's business on a terminal.
    settings.exec(QStringLiteral("SET client_min_messages = warning"));
    // A row another console (or a backup) holds is an error after a few
    // seconds, never a console frozen on it.
    settings.exec(QStringLiteral("SET lock_timeout = '5s'"));
    settings.finish();
    m_filePath = store::withoutPassword(uri.trimmed());
    m_where = uri.trimmed();
    m_password = password;
    return Status::success();
}

Status TDataModule1::reconnect() {
    if (m_where.isEmpty())
        return Status::failure(QStringLiteral("No hay ninguna base de datos abierta."));
    const QString where = m_where;
    const QString password = m_password;
    const Status opened = open(where, password);
    if (!opened) {
        // Still the working database: the next attempt goes to the same place.
        m_where = where;
        m_password = password;
        m_filePath = store::withoutPassword(where);
    }
    return opened;
}

Status TDataModule1::open(const QString& filePath, const QString& password) {
    close();
    m_openWarning.clear();
    m_lastOpenError = QSqlError();
    m_passwordRefused = false;
    if (store::isServerAddress(filePath))
        return openServer(filePath, password);
    const QFileInfo info(filePath);
    if (!info.exists() || !info.isFile())
        return Status::failure(QStringLiteral("No se encuentra el fichero %1").arg(filePath));

    useDriver(store::driverName(store::Engine::SQLite));
    store::withdrawWorldAccess(info.absoluteFilePath());

    // mode=rw: never create a database where a file was expected.
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    m_db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    m_db.setPassword(password);
    if (!m_db.open()) {
        const QString error = m_db.lastError().text();
        m_db.close();
        return Status::failure(error);
    }

    // The engine opens anything lazily; reading the schema tells a database
    // from a foreign or damaged file.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !probe.next()) {
        const QString error = probe.lastError().databaseText().isEmpty() ? probe.lastError().text()
                                                                         : probe.lastError().databaseText();
        probe.finish();
        probe = QSqlQuery();
        m_db.close();
        return Status::failure(error);
    }
    probe.finish();

    QSqlQuery pragma(m_db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!pragma.next() || pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        m_openWarning = QStringLiteral("No se puede escribir en la carpeta de la base de datos %1")
                            .arg(info.absolutePath());
    pragma.finish();
    pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    pragma.finish();
    m_filePath = info.absoluteFilePath();
    m_where = m_filePath;
    m_password = password;
    return Status::success();
}

void TDataModule1::close() {
    store::forgetOpciones(m_db);
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_filePath.clear();
    m_where.clear();
}

bool TDataModule1::isServer() const {
    return isOpen() && store::engineOf(m_db) == store::Engine::PostgreSQL;
}

bool TDataModule1::passwordRefused() const {
    return m_passwordRefused;
}

bool TDataModule1::isOpen() const {
    return m_db.isValid() && m_db.isOpen();
}

Status TDataModule1::checkWritable() const {
    return store::checkWritable(m_db);
}

QStringList TDataModule1::tableNames() const {
    if (!isOpen())
        return {};
    QStringList names;
    if (isServer()) {
        for (const QString& table : m_db.tables()) {
            if (!store::isEngineTable(table))
                names << table;
        }
        names.sort();
        return names;
    }
    QSqlQuery q(m_db);
    if (q.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                           "ORDER BY name"))) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

QStringList TDataModule1::columnNames(const QString& table) const {
    QStringList names;
    const QSqlRecord rec = m_db.record(table);
    for (int i = 0; i < rec.count(); ++i) {
        if (!store::isHiddenColumn(rec.fieldName(i)))
            names << rec.fieldName(i);
    }
    return names;
}

bool TDataModule1::isCurrentVersion() const {
    return tableNames().contains(QStringLiteral("tasas"));
}
