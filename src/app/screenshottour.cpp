#include "app/screenshottour.h"

#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "session/stationgrid.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

namespace app {

namespace {

// Lets layouts, timers and paint events run before a picture.
void settle(int ms = 250) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// "Bonos tiempo" -> "bonos-tiempo", "I.V.A. / Tasas" -> "i-v-a-tasas".
QString slug(const QString& text) {
    QString plain = text.normalized(QString::NormalizationForm_D);
    plain.remove(QRegularExpression(QStringLiteral("[\\x{0300}-\\x{036f}]")));
    plain = plain.toLower();
    plain.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    return plain.remove(QRegularExpression(QStringLiteral("^-+|-+$")));
}

} // namespace

ScreenshotTour::ScreenshotTour(QString folder, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_window(window) {
    QDir().mkpath(m_folder);
    // Station rows of the demo: 1 free, 2 a money account, 3 a time account.
    m_steps = {
        {QStringLiteral("abrir-puesto"), QStringLiteral("abrirPuesto"), 0},
        {QStringLiteral("credito-metalico"), QStringLiteral("creditoMetalico"), 1},
        {QStringLiteral("credito-tiempo"), QStringLiteral("creditoTiempo"), 2},
        {QStringLiteral("intercambiar"), QStringLiteral("intercambiar"), 1},
        {QStringLiteral("volumen"), QStringLiteral("volumen"), 0},
        {QStringLiteral("venta-tpv"), QStringLiteral("ventaTpv"), 0},
        {QStringLiteral("config-puestos"), QStringLiteral("configPuestos"), -1},
        {QStringLiteral("opciones"), QStringLiteral("parametros"), -1},
        {QStringLiteral("articulos"), QStringLiteral("articulos"), -1},
        {QStringLiteral("operadores"), QStringLiteral("operadores"), -1},
        {QStringLiteral("bloqueos-acceso"), QStringLiteral("bloqueos"), -1},
        {QStringLiteral("listado-tickets"), QStringLiteral("listadoTickets"), -1},
        {QStringLiteral("caja-diaria"), QStringLiteral("cajaDiaria"), -1},
        {QStringLiteral("estadistica-clientes"), QStringLiteral("estadClientes"), -1},
        {QStringLiteral("registro-auditoria"), QStringLiteral("auditoria"), -1},
        {QStringLiteral("cambio-operador"), QStringLiteral("cambioOperador"), -1},
        {QStringLiteral("ver-cuentas"), QStringLiteral("verCuentas"), -1},
        {QStringLiteral("ver-codigos"), QStringLiteral("verCodigos"), -1},
        {QStringLiteral("nueva-cuenta"), QStringLiteral("anadirCuenta"), -1},
        {QStringLiteral("buscar-cuenta"), QStringLiteral("buscarCuenta"), -1},
        {QStringLiteral("vender-codigo"), QStringLiteral("venderCodigo"), -1},
        {QStringLiteral("ver-movimientos"), QStringLiteral("verMovimientos"), -1},
        {QStringLiteral("ver-mensajes"), QStringLiteral("verMensajes"), -1},
        {QStringLiteral("ver-cola-puestos"), QStringLiteral("verColaPuestos"), -1},
        {QStringLiteral("acerca-de"), QStringLiteral("acercaDe"), -1},
        {QStringLiteral("ayuda"), QStringLiteral("ayuda"), -1},
    };
    ui::setMessageAnswerer([](const ui::MessageRequest& r) {
        switch (r.buttons) {
        case ui::Buttons::Ok:
            return ui::Answer::Ok;
        case ui::Buttons::OkCancel:
            return ui::Answer::Cancel;
        case ui::Buttons::YesNo:
        case ui::Buttons::YesNoCancel:
            break;
        }
        return ui::Answer::No;
    });
    ui::setDialogDriver([this](QDialog* d) { return drive(d); });
}

ScreenshotTour::~ScreenshotTour() {
    ui::setMessageAnswerer({});
    ui::setDialogDriver({});
}

int ScreenshotTour::drive(QDialog* dialog) {
    if (!m_loggedIn && dialog->objectName() == QLatin1String("TFrmAcceso"))
        return logIn(dialog);
    capture(dialog, m_current.isEmpty() ? slug(dialog->objectName()) : m_current);
    return QDialog::Rejected;
}

int ScreenshotTour::logIn(QDialog* acceso) {
    m_loggedIn = true;
    acceso->show();
    settle();
    auto* operators = acceso->findChild<QListWidget*>(QStringLiteral("operatorList"));
    const QList<QListWidgetItem*> admin =
        operators ? operators->findItems(QStringLiteral("ADMIN"), Qt::MatchExactly)
                  : QList<QListWidgetItem*>();
    if (admin.isEmpty()) {
        QTextStream(stderr) << "screenshots: no operator ADMIN in the log-in\n";
        acceso->hide();
        return QDialog::Rejected;
    }
    operators->setCurrentItem(admin.first());
    admin.first()->setSelected(true);
    settle();
    save(acceso, QStringLiteral("acceso"));
    acceso->findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    settle();
    if (acceso->result() != QDialog::Accepted) {
        // ADMIN comes to the database tools first.
        save(acceso, QStringLiteral("acceso-herramientas"));
        if (auto* accept = acceso->findChild<QPushButton*>(QStringLiteral("toolsAcceptButton")))
            accept->click();
    }
    acceso->hide();
    return acceso->result();
}

void ScreenshotTour::start(int settleMs) {
    QTimer::singleShot(settleMs, this, [this] {
        // After the saved layout was restored: a picture of the grid and its panels.
        m_window.resize(1000, 600);
        m_window.activateWindow();
        selectStation(1);
        settle();
        save(&m_window, QStringLiteral("principal"));
        runStep();
    });
}

void ScreenshotTour::runStep() {
    if (m_next >= m_steps.size()) {
        m_current.clear();
        QTextStream(stdout) << "screenshots: " << m_taken.size() << " pictures in " << m_folder << "\n";
        m_window.setCloseConfirmed(true);
        m_window.close();
        QTimer::singleShot(3000, qApp, [] { QApplication::exit(0); });
        return;
    }
    const Step step = m_steps.at(m_next++);
    // The menus follow the selected station: select first, then look.
    if (step.stationRow >= 0) {
        selectStation(step.stationRow);
        settle();
    }
    QAction* action = m_window.action(step.action);
    // The commands of the tool windows (accounts, codes) live in their docks.
    if (!action)
        action = m_window.findChild<QAction*>(step.action);
    if (!action || !action->isEnabled()) {
        QTextStream(stderr) << "screenshots: " << step.action << " is not available\n";
        QTimer::singleShot(0, this, &ScreenshotTour::runStep);
        return;
    }
    // A tool window already on screen from the first start: pictured where it
    // stands; its "Ver" entry would put it away.
    if (QDockWidget* shown = m_window.docks()->windowOf(action); shown && shown->isVisible()) {
        save(shown, step.name);
        QTimer::singleShot(0, this, &ScreenshotTour::runStep);
        return;
    }
    const QSet<QWidget*> before = visibleWindows();
    QList<QDockWidget*> docksBefore;
    for (QDockWidget* d : m_window.findChildren<QDockWidget*>())
        if (d->isVisible())
            docksBefore << d;
    m_current = step.name;
    action->trigger();
    settle(400);
    // Windows that are not modal: pictured where they opened, then hidden.
    for (QWidget* w : visibleWindows()) {
        if (before.contains(w) || w == &m_window)
            continue;
        capture(w, m_current);
        w->hide();
    }
    // A tool window that docked: pictured on its own, then put away so the
    // next one docks where the operator would see it first.
    for (QDockWidget* d : m_window.findChildren<QDockWidget*>()) {
        if (d->isVisible() && !docksBefore.contains(d)) {
            save(d, m_current);
            d->hide();
        }
    }
    m_current.clear();
    QTimer::singleShot(0, this, &ScreenshotTour::runStep);
}

void ScreenshotTour::capture(QWidget* widget, const QString& name) {
    const bool wasVisible = widget->isVisible();
    widget->show();
    settle();
    save(widget, name);
    // Windows with pages in a tree (the options) or in tabs: one picture a page.
    if (auto* tree = widget->findChild<QTreeWidget*>(QStringLiteral("tree"))) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree->topLevelItem(i);
            tree->setCurrentItem(item);
            settle();
            save(widget, name + QLatin1Char('-') + slug(item->text(0)));
        }
    }
    for (QTabWidget* tabs : widget->findChildren<QTabWidget*>()) {
        if (!tabs->isVisible())
            continue;
        for (int i = 1; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            settle();
            save(widget, name + QLatin1Char('-') + slug(tabs->tabText(i)));
        }
        tabs->setCurrentIndex(0);
    }
    if (!wasVisible)
        widget->hide();
}

void ScreenshotTour::save(QWidget* widget, const QString& name) {
    const QString file = m_folder + QLatin1Char('/') + uniqueName(name) + QStringLiteral(".png");
    if (!widget->grab().save(file, "PNG", 0)) // 0: the smallest file
        QTextStream(stderr) << "screenshots: cannot write " << file << "\n";
}

QString ScreenshotTour::uniqueName(const QString& name) {
    QString unique = name;
    for (int n = 2; m_taken.contains(unique); ++n)
        unique = name + QLatin1Char('-') + QString::number(n);
    m_taken.insert(unique);
    return unique;
}

void ScreenshotTour::selectStation(int row) {
    auto* grid = m_window.findChild<StationGridView*>();
    if (!grid || !grid->model() || row >= grid->model()->rowCount())
        return;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, 0));
}

QSet<QWidget*> ScreenshotTour::visibleWindows() const {
    QSet<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow() && !qobject_cast<QDockWidget*>(w) &&
            w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip &&
            w->windowType() != Qt::SplashScreen)
            windows.insert(w);
    }
    return windows;
}

} // namespace app
