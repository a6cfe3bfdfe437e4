// A station tile's fault boxes and the mouse wheel: scrolling the tile list
// over a box must not change it, and so must not inject a fault.
#include "gui/stationtile.h"
#include "sim/simulator.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

using namespace velkarsim;

class TstVelkarSimTile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wheelNeedsFocus_data();
    void wheelNeedsFocus();
};

namespace {

// One notch down, as a mouse wheel sends it.
bool wheelDown(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted();
}

} // namespace

void TstVelkarSimTile::wheelNeedsFocus_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("focused");
    QTest::newRow("fault list, pointer only") << QStringLiteral("fault") << false;
    QTest::newRow("fault list, focused") << QStringLiteral("fault") << true;
    QTest::newRow("delay, pointer only") << QStringLiteral("faultDelay") << false;
    QTest::newRow("delay, focused") << QStringLiteral("faultDelay") << true;
}

void TstVelkarSimTile::wheelNeedsFocus() {
    QFETCH(QString, box);
    QFETCH(bool, focused);

    Simulator sim;
    sim.addStations(QHostAddress(QStringLiteral("127.0.0.1")), 1, 1);
    if (box == u"faultDelay") {
        Fault delay;
        delay.mode = Fault::Mode::Delay;
        delay.delayMs = 1500;
        sim.setFault(0, delay);
    }
    const Fault before = sim.station(0).fault();

    QWidget window;
    auto* tile = new StationTile(sim, 0, &window);
    // Something else to hold the focus while the pointer is over the box.
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, tile->sizeHint().height() + 10);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QWidget* target = tile->findChild<QWidget*>(box);
    QVERIFY(target);
    QVERIFY(target->isVisible());
    // Wheel focus would let the first turn take the focus and then the value.
    QVERIFY(target->focusPolicy() != Qt::WheelFocus);
    (focused ? target : static_cast<QWidget*>(elsewhere))->setFocus();
    QTRY_COMPARE(target->hasFocus(), focused);

    auto* combo = qobject_cast<QComboBox*>(target);
    auto* spin = qobject_cast<QSpinBox*>(target);
    const int value = combo ? combo->currentIndex() : spin->value();

    const bool accepted = wheelDown(target);
    const int after = combo ? combo->currentIndex() : spin->value();
    if (focused) {
        QVERIFY(after != value);
    } else {
        QCOMPARE(after, value);
        // Left unaccepted, the wheel goes on to scroll the tile list.
        QVERIFY(!accepted);
    }

    if (spin) // the delay is applied when the user leaves the box
        elsewhere->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(sim.station(0).fault() == before, !focused);
}

QTEST_MAIN(TstVelkarSimTile)
#include "tst_velkarsim_tile.moc"
