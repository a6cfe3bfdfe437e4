#include "support/scriptedui.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

// Without a window manager nobody gives the focus back when a box closes;
// offscreen behaves the same, so these tests see what the counter sees.
class TstFocusReturn : public QObject {
    Q_OBJECT
private slots:
    void backToTheWidgetThatHadIt_data();
    void backToTheWidgetThatHadIt();
    void windowOpenedMeanwhileKeepsIt();
};

void TstFocusReturn::backToTheWidgetThatHadIt_data() {
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<bool>("widgetGone");
    QTest::newRow("message box") << false << false;
    QTest::newRow("modal dialog") << true << false;
    QTest::newRow("focused field deleted meanwhile") << false << true;
}

void TstFocusReturn::backToTheWidgetThatHadIt() {
    QFETCH(bool, dialog);
    QFETCH(bool, widgetGone);
    ScriptedUi ui;
    ui.showBoxes(true);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    second->setFocus();
    QCOMPARE(QApplication::focusWidget(), second);

    if (dialog) {
        QDialog d(&window);
        auto* field = new QLineEdit(&d);
        ui.onNextDialog([&](QDialog* shown) {
            // The real modal loop, which takes the focus and drops it on closing.
            QTimer::singleShot(0, shown, [&, shown] {
                [&] { QVERIFY(QTest::qWaitForWindowActive(shown)); }();
                field->setFocus();
                shown->accept();
            });
            return shown->exec();
        });
        QCOMPARE(ui::execDialog(&d), int(QDialog::Accepted));
    } else {
        if (widgetGone)
            QTimer::singleShot(0, second, [second] { delete second; });
        ui::showMessage(second, ui::MessageRequest{QStringLiteral("Atención"), QStringLiteral("Aviso")});
    }
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    if (widgetGone)
        QVERIFY(!window.findChildren<QLineEdit*>().contains(second));
    else
        QCOMPARE(QApplication::focusWidget(), second);
}

void TstFocusReturn::windowOpenedMeanwhileKeepsIt() {
    // A dialog that opens a window as it closes (the change display after a
    // station's sale) leaves the keyboard to that window.
    ScriptedUi ui;
    QWidget window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QDialog d(&window);
    QWidget opened(&window, Qt::Tool | Qt::FramelessWindowHint);
    opened.resize(80, 40);
    ui.onNextDialog([&](QDialog* shown) {
        QTimer::singleShot(0, shown, [&, shown] {
            [&] { QVERIFY(QTest::qWaitForWindowActive(shown)); }();
            opened.show();
            opened.activateWindow();
            shown->accept();
        });
        return shown->exec();
    });
    ui::execDialog(&d);
    QTRY_COMPARE(QApplication::activeWindow(), &opened);
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), &opened);
}

QTEST_MAIN(TstFocusReturn)
#include "tst_focusreturn.moc"
