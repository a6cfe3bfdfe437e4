#pragma once

#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QDate>
#include <QFile>
#include <QSqlQuery>

#include <cstdio>

// A database of stations stations and two years of tickets and account
// movements, settled ones first and pending ones after them, as the station
// and movement queues meet it in a busy café. Built once into path (through
// path.new, so an interrupted build is never taken for a whole one); an
// existing file is kept.
inline bool buildPendingDatabase(const QString& path, int stations, int settled, int pending) {
    if (QFile::exists(path))
        return true;
    const QString building = path + QStringLiteral(".new");
    QFile::remove(building);
    std::printf("building %s (once, a few minutes)...\n", qPrintable(path));
    std::fflush(stdout);
    if (!store::createDatabase(building, true))
        return false;
    {
        TDataModule1 data;
        if (!data.open(building))
            return false;
        const QSqlDatabase db = data.db();
        store::Transaction t(db);
        store::run(db, QStringLiteral("DELETE FROM puestos"));
        for (int i = 1; i <= stations; ++i)
            store::run(db, QStringLiteral("INSERT INTO puestos (npuesto, ip, estado) VALUES (?, ?, 1)"),
                       {i, QStringLiteral("127.9.%1.%2").arg(i / 250).arg(i % 250 + 1)});
        QSqlQuery ticket(db);
        ticket.prepare(
            QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE, NPUESTO, MODO, CONTA) "
                           "VALUES (?, ?, '12:00:00', 150, ?, 'CONTADOR', ?)"));
        QSqlQuery movement(db);
        movement.prepare(
            QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, CONCEPTO, SALDO_FIN, CONTA) "
                           "VALUES ('CLIENTE', ?, '12:00:00', 'PUESTO 1  00:45:00', 500, ?)"));
        const QDate first = QDate::currentDate().addYears(-2);
        const int rows = settled + pending;
        for (int i = 0; i < rows; ++i) {
            const QString day = first.addDays(qint64(i) * 730 / rows).toString(Qt::ISODate);
            const int conta = i < settled ? 1 : 0;
            ticket.addBindValue(QString::number(i + 1));
            ticket.addBindValue(day);
            ticket.addBindValue(1 + i % stations);
            ticket.addBindValue(conta);
            movement.addBindValue(day);
            movement.addBindValue(conta);
            if (!ticket.exec() || !movement.exec())
                return false;
        }
        store::run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = ?"), {rows});
        t.commit();
    }
    return QFile::rename(building, path);
}
