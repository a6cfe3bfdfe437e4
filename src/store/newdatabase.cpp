#include "store/newdatabase.h"

#include "store/engine.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/transfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QTemporaryDir>

namespace store {

QStringList splitSqlScript(const QString& script) {
    QStringList statements;
    QString current;
    bool inQuote = false;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!inQuote && c == QLatin1Char('-') && i + 1 < script.size() &&
            script.at(i + 1) == QLatin1Char('-')) {
            while (i < script.size() && script.at(i) != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (c == QLatin1Char(';') && !inQuote) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

Status runScript(const QSqlDatabase& db, const QString& resourcePath) {
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("No se puede leer %1").arg(resourcePath));
    const QString script = QString::fromUtf8(file.readAll());
    try {
        Transaction t(db);
        for (const QString& statement : splitSqlScript(script))
            run(db, statement);
        t.commit();
    } catch (const DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Status createDatabase(const QString& filePath, bool demo) {
    return createDatabase(filePath, demo, {});
}

Status createDatabase(const QString& filePath, bool demo, const QStringList& extraStatements) {
    if (isServerAddress(filePath)) {
        // Built as a file first and copied over in one transaction: one
        // script for both engines, and the server's database is made whole
        // or not at all.
        QTemporaryDir scratch;
        if (!scratch.isValid())
            return Status::failure(QStringLiteral("No se puede crear una carpeta temporal."));
        const QString file = scratch.filePath(QStringLiteral("nueva.mdb"));
        if (const Status made = createDatabase(file, demo, extraStatements); !made)
            return made;
        return transferDatabase(file, filePath);
    }
    const QFileInfo info(filePath);
    if (filePath.trimmed().isEmpty() || info.fileName().isEmpty())
        return Status::failure(QStringLiteral("Falta el nombre del fichero de la base de datos."));
    if (info.exists())
        return Status::failure(
            QStringLiteral("El fichero %1 ya existe; no se sobrescribe.").arg(info.absoluteFilePath()));
    const QDir folder = info.absoluteDir();
    if (!folder.exists())
        return Status::failure(QStringLiteral("La carpeta %1 no existe.").arg(folder.absolutePath()));

    // Built under a temporary name and renamed at the end, so a failure never
    // leaves a half-made database under the requested name.
    const QString partial = info.absoluteFilePath() + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        QFile probe(partial);
        if (!probe.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return Status::failure(QStringLiteral("No se puede escribir en %1: %2")
                                       .arg(folder.absolutePath(), probe.errorString()));
        probe.close();
    }

    const QString connection = QStringLiteral("quintor-new-database");
    Status result = Status::success();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(partial);
        if (!db.open()) {
            result = Status::failure(db.lastError().text());
        } else {
            QStringList scripts{QStringLiteral(":/store/sql/schema.sql"),
                                QStringLiteral(":/store/sql/seed.sql")};
            if (demo)
                scripts << QStringLiteral(":/store/sql/demo.sql");
            scripts << QStringLiteral(":/store/sql/admin.sql");
            for (const QString& script : scripts) {
                result = runScript(db, script);
                if (!result)
                    break;
            }
            if (result && !extraStatements.isEmpty()) {
                try {
                    Transaction t(db);
                    for (const QString& statement : extraStatements)
                        run(db, statement);
                    t.commit();
                } catch (const DatabaseError& e) {
                    result = Status::failure(e.text());
                }
            }
            if (result)
                result = applySchemaUpdates(db);
            if (result) {
                QSqlQuery q(db);
                q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
                q.finish();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);

    if (result && !QFile::rename(partial, info.absoluteFilePath()))
        result = Status::failure(QStringLiteral("No se puede crear %1").arg(info.absoluteFilePath()));
    if (!result) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-wal"));
        QFile::remove(partial + QStringLiteral("-shm"));
    }
    return result;
}

} // namespace store
