#include "accounts/abrircorreo.h"
#include "accounts/correo.h"
#include "support/scriptedui.h"

#include <QDesktopServices>
#include <QTest>
#include <QUrl>

using namespace accounts;

// Stands in for the desktop's mail program.
class MailCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TstCorreo : public QObject {
    Q_OBJECT
private slots:
    void url_data();
    void url();
    void opensTheMailProgram();
};

void TstCorreo::url_data() {
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one") << QStringList{"ana@example.com"} << "mailto:ana@example.com?subject=";
    QTest::newRow("blanks left out, no comma after the last")
        << QStringList{"     ", "a@x.es", "", " b@y.es "} << "mailto:a@x.es,b@y.es?subject=";
    QTest::newRow("all blank") << QStringList{"     ", ""} << "";
    QTest::newRow("question mark and hash are data")
        << QStringList{"jo?e#1@x.es"} << "mailto:jo%3Fe%231@x.es?subject=";
    QTest::newRow("percent") << QStringList{"50%off@x.es"} << "mailto:50%25off@x.es?subject=";
    QTest::newRow("blank inside and non-ASCII")
        << QStringList{"josé m@x.es"} << "mailto:jos%C3%A9%20m@x.es?subject=";
}

void TstCorreo::url() {
    QFETCH(QStringList, emails);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromLatin1(mailtoUrl(emails).toEncoded()), expected);
}

void TstCorreo::opensTheMailProgram() {
    ScriptedUi ui;
    MailCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QVERIFY(!abrirCorreo(nullptr, {QStringLiteral("     ")}));
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("El valor de e-mail está en blanco en las cuentas seleccionadas")});
    QVERIFY(catcher.urls.isEmpty());
    QVERIFY(abrirCorreo(nullptr, {QStringLiteral("a@x.es"), QStringLiteral("b@y.es")}));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.at(0).toString(), QStringLiteral("mailto:a@x.es,b@y.es?subject="));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
}

QTEST_MAIN(TstCorreo)
#include "tst_correo.moc"
