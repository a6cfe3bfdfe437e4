// The manual: found built and installed, its links and pictures all there,
// and "&Ayuda..." showing it with or without the desktop's browser.
#include "app/frmayuda.h"
#include "app/frmmain.h"
#include "app/helpcontroller.h"
#include "app/manual.h"
#include "support/scriptedui.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

namespace {

const QString kSource = QStringLiteral(QUINTOR_SOURCE_DIR "/doc/manual");
const QString kBuild = QStringLiteral(QUINTOR_BINARY_DIR);

QStringList pages(const QString& root) {
    QStringList files;
    QDirIterator it(root, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString readText(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeFile(const QString& file) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body>x</body></html>");
}

} // namespace

class TestManual : public QObject {
    Q_OBJECT
private slots:
    void foundInTheBuildTree();
    void foundInAnInstallPrefix();
    void language_data();
    void language();
    void bothLanguagesHaveEveryPage();
    void linksAndPicturesResolve_data();
    void linksAndPicturesResolve();
    void ayuda_data();
    void ayuda();
};

void TestManual::foundInTheBuildTree() {
    const QString folder = app::manualFolder(kBuild + QStringLiteral("/bin"), {});
    QCOMPARE(folder, kBuild + QStringLiteral("/share/quintor/manual"));
    // The build's copy is the source's, page for page.
    QCOMPARE(pages(folder), pages(kSource));
}

void TestManual::foundInAnInstallPrefix() {
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral(QUINTOR_CMAKE_COMMAND),
                  {QStringLiteral("--install"), kBuild, QStringLiteral("--prefix"), prefix.path(),
                   QStringLiteral("--component"), QStringLiteral("console")});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    const QString installed = prefix.path() + QStringLiteral("/share/quintor/manual");
    QCOMPARE(pages(installed), pages(kSource));
    // From <prefix>/bin, and from the system's data folders for a program elsewhere.
    QCOMPARE(app::manualFolder(prefix.path() + QStringLiteral("/bin"), {}), installed);
    QCOMPARE(
        app::manualFolder(QStringLiteral("/nonexistent/bin"),
                          {QStringLiteral("/nonexistent/share"), prefix.path() + QStringLiteral("/share")}),
        installed);
    QCOMPARE(app::manualIndex(installed, ui::Language::Spanish),
             installed + QStringLiteral("/es/index.html"));
}

void TestManual::language_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("expected");
    const QStringList both{QStringLiteral("es"), QStringLiteral("en")};
    QTest::newRow("Spanish") << both << false << "es/index.html";
    QTest::newRow("English") << both << true << "en/index.html";
    QTest::newRow("English missing: Spanish") << QStringList{QStringLiteral("es")} << true << "es/index.html";
    QTest::newRow("no Spanish: no manual") << QStringList{QStringLiteral("en")} << true << "";
}

void TestManual::language() {
    QFETCH(QStringList, present);
    QFETCH(bool, english);
    QFETCH(QString, expected);
    QTemporaryDir prefix;
    const QString manual = prefix.path() + QStringLiteral("/share/quintor/manual");
    for (const QString& lang : present)
        writeFile(manual + QLatin1Char('/') + lang + QStringLiteral("/index.html"));
    const QString folder = app::manualFolder(prefix.path() + QStringLiteral("/bin"), {});
    const QString index = app::manualIndex(folder, english ? ui::Language::English : ui::Language::Spanish);
    QCOMPARE(index, expected.isEmpty() ? QString() : manual + QLatin1Char('/') + expected);
}

void TestManual::bothLanguagesHaveEveryPage() {
    const QStringList spanish = pages(kSource + QStringLiteral("/es"));
    QVERIFY(spanish.contains(QStringLiteral("index.html")));
    QCOMPARE(pages(kSource + QStringLiteral("/en")), spanish);
}

void TestManual::linksAndPicturesResolve_data() {
    QTest::addColumn<QString>("page");
    for (const QString& page : pages(kSource))
        QTest::newRow(qPrintable(page)) << page;
}

void TestManual::linksAndPicturesResolve() {
    QFETCH(QString, page);
    const QString file = kSource + QLatin1Char('/') + page;
    const QString html = readText(file);
    QVERIFY(html.contains(QStringLiteral("charset=utf-8"), Qt::CaseInsensitive));
    static const QRegularExpression reference(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
    int checked = 0;
    for (auto it = reference.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        QVERIFY2(!target.isEmpty(), qPrintable(page));
        if (target.startsWith(QLatin1String("http:")) || target.startsWith(QLatin1String("https:")) ||
            target.startsWith(QLatin1String("mailto:")))
            continue;
        const int hash = target.indexOf(QLatin1Char('#'));
        const QString path = hash < 0 ? target : target.left(hash);
        const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
        const QString resolved =
            path.isEmpty() ? file : QDir::cleanPath(QFileInfo(file).absolutePath() + QLatin1Char('/') + path);
        QVERIFY2(QFileInfo(resolved).isFile(), qPrintable(page + QStringLiteral(": ") + target));
        // Pictures and pages stay inside the manual, so they are installed with it.
        QVERIFY2(resolved.startsWith(kSource + QLatin1Char('/')),
                 qPrintable(page + QStringLiteral(": ") + target));
        if (!anchor.isEmpty()) {
            const QString targetHtml = readText(resolved);
            QVERIFY2(targetHtml.contains(QStringLiteral("id=\"%1\"").arg(anchor)) ||
                         targetHtml.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                     qPrintable(page + QStringLiteral(": ") + target));
        }
        ++checked;
    }
    QVERIFY2(checked > 0, qPrintable(page + QStringLiteral(" links nowhere, not even to the contents")));
}

void TestManual::ayuda_data() {
    QTest::addColumn<bool>("manualThere");
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("desktopOpens");
    QTest::addColumn<bool>("viewer");
    QTest::newRow("browser") << true << false << true << false;
    QTest::newRow("no browser: viewer") << true << false << false << true;
    QTest::newRow("no browser, English: viewer") << true << true << false << true;
    QTest::newRow("English, browser") << true << true << true << false;
    QTest::newRow("no manual") << false << false << true << false;
}

void TestManual::ayuda() {
    QFETCH(bool, manualThere);
    QFETCH(bool, english);
    QFETCH(bool, desktopOpens);
    QFETCH(bool, viewer);
    ScriptedUi scripted;
    ui::setLanguage(english ? ui::Language::English : ui::Language::Spanish);
    TFrmMain window;
    HelpController help(window);
    help.setManualFolder(manualThere ? kSource : QString());
    QList<QUrl> opened;
    help.setOpener([&](const QUrl& url) {
        opened << url;
        return desktopOpens;
    });
    QAction* action = window.action(QStringLiteral("ayuda"));
    QVERIFY(action->isEnabled());
    QCOMPARE(action->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    action->trigger();
    action->trigger(); // a second time reuses the one viewer
    ui::setLanguage(ui::Language::Spanish);

    const QString index =
        kSource + (english ? QStringLiteral("/en/index.html") : QStringLiteral("/es/index.html"));
    if (!manualThere) {
        QVERIFY(opened.isEmpty());
        QVERIFY(!help.viewer());
        QCOMPARE(scripted.messages().size(), 2);
        QVERIFY(scripted.messages().first().text.startsWith(QStringLiteral("No se encuentra el manual")));
        return;
    }
    QVERIFY(scripted.messages().isEmpty());
    QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(index), QUrl::fromLocalFile(index)}));
    QCOMPARE(help.viewer() != nullptr, viewer);
    if (viewer) {
        QVERIFY(help.viewer()->isVisible());
        QCOMPARE(help.viewer()->source(), QUrl::fromLocalFile(index));
        // The page came with its text; a link to another chapter stays in the viewer.
        QVERIFY(!help.viewer()->browser()->toPlainText().trimmed().isEmpty());
    }
}

QTEST_MAIN(TestManual)
#include "tst_manual.moc"
