// The demo receipt printer's paper: text, feeds, cuts and drawer kicks.
#include "paper.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class TstReceiptPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paper_data();
    void paper();
    void programPrintsEachJob();
};

void TstReceiptPrinter::paper_data() {
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("text in the code page")
        << QByteArray("CAF\xc9 1\x80\nOK\n")
        << QStringList{QStringLiteral("| CAFÉ 1€    |"), QStringLiteral("| OK         |")};
    QTest::newRow("feed and cut") << QByteArray("Fin\x1b\x64\x0a\x1b\x6d")
                                  << QStringList{QStringLiteral("| Fin        |"),
                                                 QStringLiteral("  [ avance de papel: 10 líneas ]"),
                                                 QStringLiteral("  - - - - - - - - corte - - - - - - - - -")};
    QTest::newRow("drawer pulse") << QByteArray("\x1b\x70\x00\x0a\x64", 5)
                                  << QStringList{
                                         QStringLiteral("  [ cajón abierto (pin 2, 20 ms / 200 ms) ]")};
    QTest::newRow("drawer bell") << QByteArray("\x07")
                                 << QStringList{QStringLiteral("  [ cajón abierto (07) ]")};
    QTest::newRow("wraps at the paper's edge")
        << QByteArray("ABCDEFGHIJKLMN\n")
        << QStringList{QStringLiteral("| ABCDEFGHIJ |"), QStringLiteral("| KLMN       |")};
    QTest::newRow("truncated escape")
        << QByteArray("A\x1b") << QStringList{QStringLiteral("| A\x1b         |")};
}

void TstReceiptPrinter::paper() {
    QFETCH(QByteArray, job);
    QFETCH(QStringList, lines);
    QCOMPARE(receipt::renderJob(job, 10), lines);
}

void TstReceiptPrinter::programPrintsEachJob() {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("paper.log"));
    QProcess printer;
    printer.start(QStringLiteral(RECEIPT_PRINTER_BIN),
                  {QStringLiteral("--address"), QStringLiteral("127.0.92.1"), QStringLiteral("--port"),
                   QStringLiteral("9100"), QStringLiteral("--log"), log, QStringLiteral("--quiet")});
    QVERIFY(printer.waitForStarted());
    QTcpSocket socket;
    for (int i = 0; i < 50 && socket.state() != QAbstractSocket::ConnectedState; ++i) {
        socket.connectToHost(QStringLiteral("127.0.92.1"), 9100);
        if (!socket.waitForConnected(200)) {
            socket.abort();
            QTest::qWait(100);
        }
    }
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    socket.write("TICKET\n\x07");
    QVERIFY(socket.waitForBytesWritten(2000));
    socket.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(QFile(log).size() > 0, 5000);
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY2(text.contains(QStringLiteral("trabajo 1 · 8 bytes")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("| TICKET ")));
    QVERIFY(text.contains(QStringLiteral("[ cajón abierto (07) ]")));
    printer.terminate();
    printer.waitForFinished(3000);
}

QTEST_MAIN(TstReceiptPrinter)
#include "tst_receiptprinter.moc"
