#include "station/loginsinuse.h"
#include "store/dialect.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>

// One letter-case rule for logins in use, in the program and in the
// database: ASCII letters fold, nothing else does.
class TstLoginsInUse : public QObject {
    Q_OBJECT
private slots:
    void oneRule_data();
    void oneRule();

private:
    TestDatabase m_db;
};

void TstLoginsInUse::oneRule_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("same");
    QTest::newRow("ASCII letters") << "ANA"
                                   << "ana" << true;
    QTest::newRow("mixed") << "Pepe1_"
                           << "pEPE1_" << true;
    QTest::newRow("eñe") << "Ñ"
                         << "ñ" << false;
    QTest::newRow("accented letter") << "JOSÉ"
                                     << "josé" << false;
    QTest::newRow("accent kept, rest folds") << "JOSé"
                                             << "josé" << true;
    QTest::newRow("sharp s is not SS") << "SS"
                                       << "ß" << false;
    // Next to the letters, where a fold by bit would join them.
    QTest::newRow("@ and `") << "@"
                             << "`" << false;
    QTest::newRow("[ and {") << "A["
                             << "a{" << false;
    QTest::newRow("trailing blank") << "ANA"
                                    << "ana " << false;
}

void TstLoginsInUse::oneRule() {
    QFETCH(QString, login);
    QFETCH(QString, typed);
    QFETCH(bool, same);
    QCOMPARE(store::sameKey(login, typed), same);

    station::LoginsInUse inUse;
    inUse.add(login);
    QCOMPARE(inUse.contains(typed), same);
    inUse.remove(typed);
    QCOMPARE(inUse.contains(login), !same);

    // The database compares them the same way.
    const QVariant equal =
        store::scalar(m_db.data.db(),
                      QStringLiteral("SELECT ") + store::equalsCaseless(m_db.data.db(), QStringLiteral("?")),
                      {login, typed});
    QCOMPARE(store::toBool(equal), same);
}

QTEST_GUILESS_MAIN(TstLoginsInUse)
#include "tst_loginsinuse.moc"
