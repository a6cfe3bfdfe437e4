#include "web/basedatos.h"

#include "store/engine.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace web {

BaseSoloLectura::BaseSoloLectura(QString connectionName)
    : m_name(std::move(connectionName)) {}

BaseSoloLectura::~BaseSoloLectura() {
    close();
}

void BaseSoloLectura::close() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
}

Status BaseSoloLectura::open(const QString& where) {
    close();
    m_where = where.trimmed();
    if (store::isServerAddress(m_where)) {
        m_db = QSqlDatabase::addDatabase(store::driverName(store::Engine::PostgreSQL), m_name);
        if (!m_db.isValid())
            return Status::failure(QStringLiteral("Falta el controlador de PostgreSQL (libqt6sql6-psql)."));
        if (const Status configured = store::configureServerConnection(m_db, m_where, QString()); !configured)
            return configured;
        if (!m_db.open())
            return Status::failure(m_db.lastError().text());
        QSqlQuery settings(m_db);
        // Every transaction of this session is read-only: a write is the
        // server's error, whatever role the URI names.
        for (const char* sql : {"SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY",
                                "SET client_encoding = 'UTF8'", "SET standard_conforming_strings = on",
                                "SET client_min_messages = warning", "SET statement_timeout = '5s'"}) {
            if (!settings.exec(QString::fromLatin1(sql))) {
                const QString error = settings.lastError().text();
                settings = QSqlQuery();
                close();
                return Status::failure(error);
            }
        }
        return Status::success();
    }

    const QFileInfo info(m_where);
    if (!info.exists() || !info.isFile())
        return Status::failure(QStringLiteral("No se encuentra el fichero %1").arg(m_where));
    m_db = QSqlDatabase::addDatabase(store::driverName(store::Engine::SQLite), m_name);
    // mode=ro: never create a file, never write one; the console's WAL is read
    // through its shared memory, so its latest commits are seen.
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=ro"));
    m_db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    m_db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
    if (!m_db.open())
        return Status::failure(m_db.lastError().text());
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !probe.next()) {
        const QString error = probe.lastError().text();
        probe = QSqlQuery();
        close();
        return Status::failure(error);
    }
    return Status::success();
}

bool BaseSoloLectura::broken() const {
    return !m_db.isValid() || !m_db.isOpen() || store::connectionBroken(m_db);
}

Status BaseSoloLectura::reopen() {
    const QString where = m_where;
    return open(where);
}

} // namespace web
