// Times the cash report, the listings and the statistics on a large
// database: 1 000 000 tickets, 3 000 000 lines, 1 000 000 movements and
// 1 000 000 use periods over two years. The database is built once and kept
// (bench-reports [FILE]); later runs reuse it.
//   QT_QPA_PLATFORM=offscreen build/ci/bin/bench-reports /tmp/bench-reports.db

#include "benchload.h"
#include "core/regional.h"
#include "reports/listings.h"
#include "reports/reportrenderer.h"
#include "sales/informecaja.h"
#include "statistics.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/resumenes.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

namespace {

const QDate first(2025, 1, 1);
constexpr int daysSpan = 730;
constexpr int tickets = 1000000;
constexpr int linesPerTicket = 3;
constexpr int movements = 1000000;
constexpr int uses = 1000000;
constexpr int accounts = 2000;

QTextStream out(stdout);

void build(const QSqlDatabase& db) {
    QRandomGenerator rng(42);
    store::Transaction t(db);
    // Millions of rows: the summaries are made once from them at the end.
    store::PausaResumenes pausa(db);
    QSqlQuery acc(db);
    acc.prepare(QStringLiteral("INSERT INTO cuentas (Login, Nombre, Tipo, credito, Alta, Ultima) "
                               "VALUES (?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < accounts; ++i) {
        acc.addBindValue(QStringLiteral("c%1").arg(i));
        acc.addBindValue(QStringLiteral("Cliente %1").arg(i));
        acc.addBindValue(i % 10 == 0 ? QStringLiteral("9") : QStringLiteral("0"));
        acc.addBindValue(qlonglong(rng.bounded(100000)) * 100);
        acc.addBindValue(store::sqlValue(first));
        acc.addBindValue(store::sqlValue(first.addDays(rng.bounded(daysSpan))));
        acc.exec();
    }
    QSqlQuery tq(db);
    tq.prepare(QStringLiteral("INSERT INTO ticket (ID_TICK, NUM_TICKET, FECHA, HORA, IMPORTE, OPERADOR, "
                              "OBSERVACIONES) VALUES (?, ?, ?, ?, ?, ?, '')"));
    QSqlQuery lq(db);
    lq.prepare(QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, PRECIO, IMPORTE, BONO) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    const QStringList ops{QStringLiteral("ANA"), QStringLiteral("LUIS"), QStringLiteral("ADMIN")};
    for (int i = 1; i <= tickets; ++i) {
        const qint64 seconds = qint64(i) * daysSpan * 86400 / tickets;
        const QDate day = first.addDays(seconds / 86400);
        const QTime time = QTime(0, 0).addSecs(int(seconds % 86400));
        qint64 total = 0;
        for (int k = 0; k < linesPerTicket; ++k) {
            const int article = rng.bounded(60);
            const int units = 1 + rng.bounded(3);
            const qint64 price = (100 + article * 10) * 100;
            total += units * price;
            lq.addBindValue(i);
            lq.addBindValue(article < 5 ? QString() : QStringLiteral("A%1").arg(article));
            lq.addBindValue(QStringLiteral("Artículo %1").arg(article));
            lq.addBindValue(double(units));
            lq.addBindValue(price);
            lq.addBindValue(units * price);
            lq.addBindValue(article >= 55 ? 1 : 0);
            if (!lq.exec())
                qFatal("insert line failed");
        }
        tq.addBindValue(i);
        tq.addBindValue(QString::number(i));
        tq.addBindValue(store::sqlValue(day));
        tq.addBindValue(store::sqlValue(time));
        tq.addBindValue(total);
        tq.addBindValue(ops.at(i % 3));
        if (!tq.exec())
            qFatal("insert ticket failed");
    }
    QSqlQuery mq(db);
    mq.prepare(QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, CONCEPTO, SALDO_ANT, SALDO_MOV, "
                              "SALDO_FIN, saldoti_ant_bono, SALDOTI_MOV, saldoti_fin_bono) "
                              "VALUES (?, ?, ?, 'Mov', ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < movements; ++i) {
        const qint64 seconds = qint64(i) * daysSpan * 86400 / movements;
        const qint64 change = (qint64(rng.bounded(2000)) - 1000) * 100;
        mq.addBindValue(QStringLiteral("c%1").arg(rng.bounded(accounts)));
        mq.addBindValue(store::sqlValue(first.addDays(seconds / 86400)));
        mq.addBindValue(store::sqlValue(QTime(0, 0).addSecs(int(seconds % 86400))));
        mq.addBindValue(qlonglong(100000));
        mq.addBindValue(change);
        mq.addBindValue(100000 + change);
        const bool time = i % 4 == 0;
        mq.addBindValue(time ? QVariant(3600) : QVariant());
        mq.addBindValue(time ? QStringLiteral("0:10:00") : QString());
        mq.addBindValue(time ? QVariant(3000) : QVariant());
        if (!mq.exec())
            qFatal("insert movement failed");
    }
    QSqlQuery cq(db);
    cq.prepare(
        QStringLiteral("INSERT INTO ciber (FECHA, HORA, NPUESTO, MODALIDAD, NUM_TICKET, TARIFA, OPERADOR, "
                       "CLIENTE, TIEMPO) VALUES (?, ?, ?, 'CONTADOR', ?, 'NORMAL', 'ANA', ?, ?)"));
    for (int i = 0; i < uses; ++i) {
        const qint64 seconds = qint64(i) * daysSpan * 86400 / uses;
        cq.addBindValue(store::sqlValue(first.addDays(seconds / 86400)));
        cq.addBindValue(store::sqlValue(QTime(0, 0).addSecs(int(seconds % 86400))));
        cq.addBindValue(1 + rng.bounded(40));
        cq.addBindValue(QString::number(i));
        cq.addBindValue(i % 3 == 0 ? QString() : QStringLiteral("c%1").arg(rng.bounded(accounts)));
        cq.addBindValue(60 + rng.bounded(7200));
        if (!cq.exec())
            qFatal("insert use failed");
    }
    pausa.reanudar();
    store::rehacerResumenes(db);
    t.commit();
    store::run(db, QStringLiteral("ANALYZE"));
}

double time(const QString& what, const std::function<QString()>& work) {
    QElapsedTimer timer;
    timer.start();
    const QString note = work();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    out << QStringLiteral("%1 %2 ms  %3\n").arg(what, -58).arg(ms, 9, 'f', 1).arg(note);
    out.flush();
    return ms;
}

QString rows(const reports::Report& r) {
    return QStringLiteral("(%1 rows)").arg(r.body.size());
}

} // namespace

int main(int argc, char** argv) {
    // Pages are drawn off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/bench-reports.db");
    if (!QFile::exists(file)) {
        out << "building " << file << " ...\n";
        out.flush();
        const Status created = store::createDatabase(file, false);
        if (!created)
            qFatal("%s", qPrintable(created.error()));
        TDataModule1 data;
        if (!data.open(file))
            qFatal("cannot open");
        time(QStringLiteral("build the database"), [&] {
            build(data.db());
            return QString();
        });
    }
    TDataModule1 data;
    if (!data.open(file))
        qFatal("cannot open %s", qPrintable(file));
    const QSqlDatabase db = data.db();
    // A database built before the summaries gets them here, once.
    time(QStringLiteral("schema updates (the summaries made once)"), [&] {
        const Status updated = store::applySchemaUpdates(db);
        return updated ? QString() : updated.error();
    });
    out << QStringLiteral("load average at the start: %1\n").arg(loadAverage());
    const Regional es = Regional::spanishSpain();
    const QDateTime now = QDateTime::currentDateTime();
    const QDate day = first.addDays(400);
    const reports::DateRange month{QDate(2026, 2, 1), QDate(2026, 2, 28)};
    const reports::DateRange all{first, first.addDays(daysSpan)};

    using namespace reports;
    time(QStringLiteral("cash report, one day, totals"), [&] {
        return rows(
            sales::informeCaja(db, es, {day, QTime(0, 0), QTime(0, 0)}, sales::CajaListing::Totales, now));
    });
    time(QStringLiteral("cash report, one day, details"), [&] {
        return rows(
            sales::informeCaja(db, es, {day, QTime(0, 0), QTime(0, 0)}, sales::CajaListing::Detalles, now));
    });
    time(QStringLiteral("cash report, shift 22:00-06:00, totals"), [&] {
        return rows(
            sales::informeCaja(db, es, {day, QTime(22, 0), QTime(6, 0)}, sales::CajaListing::Totales, now));
    });
    time(QStringLiteral("cash report, shift 22:00-06:00, details"), [&] {
        return rows(
            sales::informeCaja(db, es, {day, QTime(22, 0), QTime(6, 0)}, sales::CajaListing::Detalles, now));
    });
    time(QStringLiteral("cash report HTML, one day"), [&] {
        return QStringLiteral("(%1 lines)")
            .arg(sales::sendcajaresumen(db, es, {day, QTime(0, 0), QTime(0, 0)}).size());
    });
    // Every statistic from the summaries beside the rows alone, in the same run.
    out << QStringLiteral(
        "\nstatistics: summaries | rows alone (ms), and whether the listings are identical\n");
    bool allSame = true;
    double worst = 0;
    for (const auto& [label, range] :
         {std::pair{QStringLiteral("month"), month}, std::pair{QStringLiteral("all"), all}}) {
        for (const StatisticCase& c : statisticCases(es, range, now)) {
            const Compared r = compare(db, c);
            allSame = allSame && r.same;
            worst = std::max(worst, r.summaryMs);
            out << QStringLiteral("%1 %2 | %3  %4 (%5 rows)\n")
                       .arg(c.what + QStringLiteral(", ") + label, -48)
                       .arg(r.summaryMs, 9, 'f', 1)
                       .arg(r.rowsMs, 9, 'f', 1)
                       .arg(r.same ? QStringLiteral("identical") : QStringLiteral("DIFFERENT"))
                       .arg(r.rows);
            out.flush();
        }
    }
    out << QStringLiteral("statistics: slowest from the summaries %1 ms; %2\n\n")
               .arg(worst, 0, 'f', 1)
               .arg(allSame ? QStringLiteral("every listing identical to the rows alone")
                            : QStringLiteral("SOME LISTINGS DIFFER"));
    time(QStringLiteral("movements, charges of all accounts, month"), [&] {
        return rows(listadoMovimientos(db, es, month, MovScope::TodasCuentas, {}, MovKind::Cargos, now));
    });
    time(QStringLiteral("station activity, month"),
         [&] { return rows(listadoActividad(db, es, month, std::nullopt, now)); });

    // The ticket listing of a month: the preview's first page, then the PDF.
    for (bool details : {false, true}) {
        const QString kind = details ? QStringLiteral("details") : QStringLiteral("totals");
        std::unique_ptr<ReportRenderer> renderer;
        auto firstPage = [](const ReportRenderer& r) {
            QImage page(794, 1123, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter p(&page);
            r.paintPage(p, 0, 96);
        };
        // As the preview opens it: the first part read and its first page painted.
        time(QStringLiteral("ticket listing, month, %1: first page shown").arg(kind), [&] {
            ListadoEnPartes parts = listadoTicketsEnPartes(db, es, month, details, now);
            renderer = std::make_unique<ReportRenderer>(std::move(parts.report), es.shortDateFormat(),
                                                        es.longTimeFormat(), std::move(parts.source));
            renderer->extend();
            firstPage(*renderer);
            return QStringLiteral("(%1 pages so far)").arg(renderer->pageCount());
        });
        time(QStringLiteral("ticket listing, month, %1: the rest read behind it").arg(kind), [&] {
            while (renderer->extend()) {
            }
            return QStringLiteral("(%1 tickets, %2 pages)")
                .arg(renderer->report().body.size())
                .arg(renderer->pageCount());
        });
        // The comparison: the whole listing read before its first page shows.
        time(QStringLiteral("ticket listing, month, %1: first page, read whole first").arg(kind), [&] {
            const ReportRenderer whole(listadoTickets(db, es, month, details, now), es.shortDateFormat(),
                                       es.longTimeFormat());
            firstPage(whole);
            return QStringLiteral("(%1 pages)").arg(whole.pageCount());
        });
        QTemporaryDir dir;
        time(QStringLiteral("ticket listing, month, %1: whole PDF").arg(kind), [&] {
            QString error;
            if (!renderer->writePdf(dir.filePath(QStringLiteral("l.pdf")), &error))
                return error;
            return QStringLiteral("(%1 KiB)").arg(QFile(dir.filePath(QStringLiteral("l.pdf"))).size() / 1024);
        });
        // The comparison: QPdfWriter alone painting the same pages, their
        // drawing recorded beforehand, so none of the listing's own layout counts.
        std::vector<QPicture> pictures(size_t(renderer->pageCount()));
        for (int i = 0; i < renderer->pageCount(); ++i) {
            QPainter recorder(&pictures[size_t(i)]);
            renderer->paintPage(recorder, i, 300);
        }
        time(QStringLiteral("ticket listing, month, %1: QPdfWriter alone").arg(kind), [&] {
            QPdfWriter writer(dir.filePath(QStringLiteral("alone.pdf")));
            writer.setResolution(300);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                             QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
            QPainter painter(&writer);
            for (size_t i = 0; i < pictures.size(); ++i) {
                if (i > 0)
                    writer.newPage();
                pictures[i].play(&painter);
            }
            painter.end();
            return QStringLiteral("(%1 KiB)")
                .arg(QFile(dir.filePath(QStringLiteral("alone.pdf"))).size() / 1024);
        });
    }
    out << QStringLiteral("load average at the end: %1\n").arg(loadAverage());
    return 0;
}
