#include "store/datamodule.h"

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
    close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

bool TDataModule1::engineAvailable() {
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

Status TDataModule1::open(const QString& filePath, const QString& password) {
    close();
    m_openWarning.clear();
    const QFileInfo info(filePath);
    if (!info.exists() || !info.isFile())
        return Status::failure(QStringLiteral("No se encuentra el fichero %1").arg(filePath));

    if (!QSqlDatabase::contains(m_connectionName))
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    else
        m_db = QSqlDatabase::database(m_connectionName, false);

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
    return Status::success();
}

void TDataModule1::close() {
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_filePath.clear();
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
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    return names;
}

bool TDataModule1::isCurrentVersion() const {
    return tableNames().contains(QStringLiteral("tasas"));
}
