// The console's last guard: an error that escaped its handler is shown, and
// the event loop, the timers and the console go on.
#include "app/consoleapplication.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QTest>
#include <QTimer>

#include <limits>

class TstConsoleApplication : public QObject {
    Q_OBJECT
private slots:
    void escapedErrorIsShownOnce_data();
    void escapedErrorIsShownOnce();
};

void TstConsoleApplication::escapedErrorIsShownOnce_data() {
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("text");
    QTest::newRow("database") << true << "database is locked";
    QTest::newRow("amount") << false << "El importe está fuera de rango.";
}

void TstConsoleApplication::escapedErrorIsShownOnce() {
    QFETCH(bool, database);
    QFETCH(QString, text);
    ScriptedUi ui;
    int fired = 0;
    QTimer timer;
    timer.setInterval(1);
    connect(&timer, &QTimer::timeout, this, [&] {
        if (++fired > 3)
            return;
        if (database)
            throw store::DatabaseError(QStringLiteral("database is locked"));
        (void)(Currency::fromRaw(std::numeric_limits<qint64>::max()) + Currency::fromRaw(1));
    });
    timer.start();
    // The process survives three failures and the timer keeps running; each
    // box shown says what failed.
    QTRY_VERIFY(fired > 5);
    QTRY_VERIFY(!ui.messageTexts().isEmpty());
    QVERIFY(ui.messageTexts().size() <= 3);
    for (const QString& shown : ui.messageTexts())
        QCOMPARE(shown, text);
}

int main(int argc, char** argv) {
    ConsoleApplication app(argc, argv);
    TstConsoleApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_consoleapplication.moc"
