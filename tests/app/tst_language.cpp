// Qt's own texts follow the console's language, and so does the licence
// statement of "Acerca de Quintor".
#include "app/about.h"
#include "app/qttranslations.h"
#include "ui/messagetable.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QTest>

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void qtTexts_data();
    void qtTexts();
    void licence_data();
    void licence();
    void cleanup() { ui::setLanguage(ui::Language::Spanish); }
};

void TestLanguage::qtTexts_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QByteArray>("context");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("translated");
    // The edit boxes' context menu, a file dialog's button and a message box's.
    QTest::newRow("es undo") << "es" << QByteArray("QLineEdit") << QByteArray("&Undo") << true;
    QTest::newRow("es paste") << "es" << QByteArray("QLineEdit") << QByteArray("&Paste") << true;
    QTest::newRow("es file dialog") << "es" << QByteArray("QFileDialog") << QByteArray("&Open") << true;
    QTest::newRow("es cancel") << "es" << QByteArray("QPlatformTheme") << QByteArray("Cancel") << true;
    QTest::newRow("en undo") << "en" << QByteArray("QLineEdit") << QByteArray("&Undo") << false;
    QTest::newRow("en cancel") << "en" << QByteArray("QPlatformTheme") << QByteArray("Cancel") << false;
}

void TestLanguage::qtTexts() {
    QFETCH(QString, language);
    QFETCH(QByteArray, context);
    QFETCH(QByteArray, source);
    QFETCH(bool, translated);
    // Spanish first, so "en" must take the Spanish catalogue away again.
    QVERIFY(app::installQtTranslations(*qApp, QStringLiteral("es")));
    app::installQtTranslations(*qApp, language);
    const QString text = QCoreApplication::translate(context.constData(), source.constData());
    QVERIFY(!text.isEmpty());
    QCOMPARE(text != QString::fromLatin1(source), translated);
}

void TestLanguage::licence_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("statement");
    QTest::newRow("es")
        << false
        << "Quintor es software libre: puede redistribuirlo y modificarlo bajo los términos de "
           "la Licencia Pública General GNU, versión 3 o posterior.";
    QTest::newRow("en")
        << true
        << "Quintor is free software: you can redistribute it and/or modify it under the terms "
           "of the GNU General Public License, version 3 or later.";
}

void TestLanguage::licence() {
    QFETCH(bool, english);
    QFETCH(QString, statement);
    ui::setLanguage(english ? ui::Language::English : ui::Language::Spanish);
    QCOMPARE(app::programLicence(), statement);
    if (!english)
        return;
    // No library's licence is left in Spanish.
    for (const app::LibraryInfo& lib : app::libraries(QSqlDatabase())) {
        for (const char* spanish : {"versión", "Dominio", "Licencia", "con excepciones"})
            QVERIFY2(!lib.licence.contains(QString::fromUtf8(spanish)), qPrintable(lib.licence));
    }
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
