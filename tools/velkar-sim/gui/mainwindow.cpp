#include "gui/mainwindow.h"

#include "app/session.h"
#include "gui/flowlayout.h"
#include "gui/stationtile.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace velkarsim {

namespace {
constexpr int RefreshMs = 200;
constexpr int LogLines = 2000;
// Beyond this many tiles the window gets sluggish.
constexpr int ManyTiles = 400;
} // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session) {
    Simulator& sim = session.simulator();
    const Options& o = session.options();
    setWindowTitle(QStringLiteral("Simulador de puestos Velkar"));

    auto* central = new QWidget;
    auto* outer = new QVBoxLayout(central);

    auto* bar = new QHBoxLayout;
    const QString last = sim.count() > 0 ? sim.station(sim.count() - 1).address().toString() : QString();
    auto* heading =
        new QLabel(QStringLiteral("<b>%1 puestos</b> (%2 a %3), direcciones %4 a %5, puerto %6")
                       .arg(sim.count())
                       .arg(o.firstNumber)
                       .arg(o.firstNumber + sim.count() - 1)
                       .arg(sim.count() > 0 ? sim.station(0).address().toString() : QString(), last)
                       .arg(o.port));
    heading->setWordWrap(true);
    auto* allOn = new QPushButton(QStringLiteral("Encender todos"));
    auto* allOff = new QPushButton(QStringLiteral("Apagar todos"));
    m_showPolls = new QCheckBox(QStringLiteral("Mostrar sondeos en el registro"));
    // Heading above the controls, so a narrow window beside the console fits.
    outer->addWidget(heading);
    bar->addWidget(m_showPolls);
    bar->addStretch();
    bar->addWidget(allOn);
    bar->addWidget(allOff);
    outer->addLayout(bar);

    auto* tiles = new QWidget;
    auto* flow = new FlowLayout(tiles);
    for (int i = 0; i < sim.count(); ++i) {
        auto* tile = new StationTile(sim, i);
        flow->addWidget(tile);
        m_tiles.append(tile);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(tiles);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(LogLines);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setPlaceholderText(QStringLiteral("Registro de intercambios con la consola"));

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(scroll);
    split->addWidget(m_log);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    outer->addWidget(split, 1);
    setCentralWidget(central);

    m_summary = new QLabel;
    statusBar()->addWidget(m_summary);

    connect(allOn, &QPushButton::clicked, this, [this] { setAllPower(true); });
    connect(allOff, &QPushButton::clicked, this, [this] { setAllPower(false); });

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::refresh);
    timer->start(RefreshMs);

    const int columns = std::min(4, std::max(1, sim.count()));
    resize(columns * 340 + 60, 900);
}

void MainWindow::placeAtEdge(Options::Place place) {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (place == Options::Place::System || !screen)
        return;
    // A third of the screen at that edge, but at least one column of tiles.
    const QRect area = screen->availableGeometry();
    const int width = std::min(area.width(), std::max(area.width() / 3, 400));
    const int left = place == Options::Place::Left ? area.left() : area.right() + 1 - width;
    // move() places the frame; once the window manager framed the window,
    // the frame is taken off the size so the whole window stays on the screen.
    resize(width, area.height());
    move(left, area.top());
    QTimer::singleShot(300, this, [this, area, place] {
        const QSize margins = frameGeometry().size() - size();
        if (margins.width() <= 0 && margins.height() <= 0)
            return;
        resize(size().boundedTo(area.size() - margins));
        const int x =
            place == Options::Place::Left ? area.left() : area.right() + 1 - frameGeometry().width();
        move(x, area.top());
    });
}

void MainWindow::appendLog(const QString& line) {
    // Plain polls answered "OK" are the bulk of the traffic; hidden unless asked for.
    if (!m_showPolls->isChecked() && line.contains(u" recv \"PING\\t") && line.endsWith(u"reply \"OK\""))
        return;
    m_log->appendPlainText(line);
}

void MainWindow::refresh() {
    for (StationTile* tile : std::as_const(m_tiles))
        tile->refresh();
    const SimulatorStats s = m_session.simulator().stats();
    const qint64 now = m_session.simulator().elapsedMs();
    const double span = double(now - m_lastMs) / 1000.0;
    if (span >= 1.0) {
        const double rate = double(s.linesReceived - m_lastLines) / span;
        m_summary->setText(
            QStringLiteral("Conectados: %1 de %2 · escuchando: %3 · intercambios por segundo: %4")
                .arg(s.connected)
                .arg(s.stations)
                .arg(s.listening)
                .arg(rate, 0, 'f', 1));
        m_lastMs = now;
        m_lastLines = s.linesReceived;
    }
}

void MainWindow::setAllPower(bool on) {
    Simulator& sim = m_session.simulator();
    for (int i = 0; i < sim.count(); ++i) {
        if (on)
            sim.powerOn(i);
        else
            sim.powerOff(i);
    }
    refresh();
}

int runGui(const Options& options) {
    Session session(options);
    QObject::connect(&session, &Session::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
    MainWindow* window = nullptr;
    session.addLogSink([&window](const QString& line) {
        if (window)
            window->appendLog(line);
    });
    if (options.log) {
        session.addLogSink([](const QString& line) {
            std::fputs(line.toUtf8().constData(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        });
    }
    session.setNoticeSink([&window](const QString& text) {
        std::fprintf(stderr, "velkar-sim: %s\n", text.toLocal8Bit().constData());
        if (window)
            window->appendLog(text);
    });

    QString error;
    QString warning;
    if (!session.start(&error, &warning)) {
        QMessageBox::critical(nullptr, QStringLiteral("Simulador de puestos Velkar"),
                              QStringLiteral("No se puede arrancar el simulador:\n%1").arg(error));
        return 2;
    }
    MainWindow w(session);
    window = &w;
    if (options.count > ManyTiles)
        warning += QStringLiteral("%1%2 puestos son muchos para la ventana; para carga use --headless")
                       .arg(warning.isEmpty() ? QString() : QStringLiteral(". "))
                       .arg(options.count);
    if (!warning.isEmpty()) {
        w.appendLog(u"Aviso: " + warning);
        std::fprintf(stderr, "velkar-sim: %s\n", warning.toLocal8Bit().constData());
    }
    if (options.durationSeconds > 0)
        QTimer::singleShot(qRound64(options.durationSeconds * 1000.0), qApp, &QApplication::quit);
    w.placeAtEdge(options.place);
    w.show();
    if (!options.readyFile.isEmpty()) {
        // Once the event loop has mapped the window: whatever starts after
        // this (the console's log-in) opens above it.
        QTimer::singleShot(0, qApp, [&options] {
            QFile ready(options.readyFile);
            if (!ready.open(QIODevice::WriteOnly | QIODevice::Truncate))
                std::fprintf(stderr, "velkar-sim: cannot write %s\n",
                             options.readyFile.toLocal8Bit().constData());
        });
    }
    const int rc = QApplication::exec();
    window = nullptr;
    if (options.stats)
        std::printf("%s\n", session.statsLine(false).toUtf8().constData());
    return rc;
}

} // namespace velkarsim
