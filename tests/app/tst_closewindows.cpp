// Without a window manager a window has no title bar to close it by: the
// help viewer and the listings' preview close from within.
#include "app/frmayuda.h"
#include "reports/frmpreview.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

std::unique_ptr<QWidget> window(const QString& kind) {
    if (kind == QLatin1String("ayuda"))
        return std::make_unique<TFrmAyuda>();
    reports::Report r;
    r.caption = QStringLiteral("[Prueba]");
    const int cols = r.addColumns({{0, 40, reports::Align::Left}});
    for (int i = 0; i < 200; ++i)
        r.addDetail(cols, {QStringLiteral("fila %1").arg(i)});
    return std::make_unique<reports::TfrmPreview>(
        reports::ReportRenderer(r, QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss")));
}

bool showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestCloseWindows : public QObject {
    Q_OBJECT
private slots:
    void escapeCloses_data();
    void escapeCloses();
    void closeButton_data();
    void closeButton();
    void previewShownMaximised();
};

void TestCloseWindows::escapeCloses_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("ayuda") << "ayuda";
    QTest::newRow("preview") << "preview";
}

void TestCloseWindows::escapeCloses() {
    QFETCH(QString, kind);
    const std::unique_ptr<QWidget> w = window(kind);
    QVERIFY(showActive(*w));
    // The key goes where the operator's focus is, inside the window.
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
    QTest::keyClick(target, Qt::Key_Escape);
    QTRY_VERIFY(!w->isVisible());
}

void TestCloseWindows::closeButton_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("ayuda") << "ayuda"
                           << "Cerrar";
    QTest::newRow("preview") << "preview"
                             << "Cerrar";
}

void TestCloseWindows::closeButton() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    const std::unique_ptr<QWidget> w = window(kind);
    QVERIFY(showActive(*w));
    QAbstractButton* button = w->findChild<QPushButton*>(QStringLiteral("cerrar"));
    if (!button) {
        auto* action = w->findChild<QAction*>(QStringLiteral("cerrar"));
        QVERIFY(action);
        button = qobject_cast<QToolButton*>(w->findChild<QToolBar*>()->widgetForAction(action));
    }
    QVERIFY(button);
    QCOMPARE(button->text().remove(QLatin1Char('&')), text);
    // On the window itself, not folded away behind the tool bar's extension.
    QVERIFY(button->isVisible());
    QVERIFY(w->rect().contains(QRect(button->mapTo(w.get(), QPoint(0, 0)), button->size())));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!w->isVisible());
}

void TestCloseWindows::previewShownMaximised() {
    const std::unique_ptr<QWidget> w = window(QStringLiteral("preview"));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(w->windowState() & Qt::WindowMaximized);
    QTRY_COMPARE(w->frameGeometry(), w->screen()->availableGeometry());
}

QTEST_MAIN(TestCloseWindows)
#include "tst_closewindows.moc"
