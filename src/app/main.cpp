#include "app/aboutcontroller.h"
#include "app/accountscontroller.h"
#include "app/admincontroller.h"
#include "app/asistentecontroller.h"
#include "app/codigoscontroller.h"
#include "app/commandline.h"
#include "app/configini.h"
#include "app/consolascontroller.h"
#include "app/consoleapplication.h"
#include "app/copycommand.h"
#include "app/frmacceso.h"
#include "app/frmmain.h"
#include "app/headless.h"
#include "app/helpcontroller.h"
#include "app/lifecycle.h"
#include "app/mailcontroller.h"
#include "app/paths.h"
#include "app/qttranslations.h"
#include "app/reportscontroller.h"
#include "app/salescontroller.h"
#include "app/screenshottour.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "app/tarifascontroller.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "station/filelimit.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QApplication>
#include <QPainter>
#include <QSplashScreen>
#include <QSystemSemaphore>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

QPixmap splashPixmap() {
    QPixmap pixmap(420, 220);
    pixmap.fill(QColor(20, 60, 110));
    QPainter p(&pixmap);
    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 36, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 40, 420, 80), Qt::AlignCenter, QStringLiteral("Quintor"));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    p.drawText(QRect(0, 120, 420, 30), Qt::AlignCenter, QStringLiteral("Consola de cibercafé"));
    p.drawText(QRect(0, 170, 420, 30), Qt::AlignCenter,
               QStringLiteral("Versión %1").arg(QStringLiteral(QUINTOR_VERSION)));
    return pixmap;
}

// The commands that never open a window.
int runCommand(const app::CommandLine& cl) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!cl.error.isEmpty()) {
        err << cl.error << "\n\n" << app::CommandLine::helpText();
        return 2;
    }
    if (cl.showHelp) {
        out << app::CommandLine::helpText();
        return 0;
    }
    if (cl.showVersion) {
        out << "Quintor " << QUINTOR_VERSION << "\n";
        return 0;
    }
    if (!cl.copyFrom.isEmpty())
        return app::copyDatabaseCommand(cl.copyFrom, cl.copyTo, out, err, isatty(fileno(stderr)) != 0);
    const Status created = store::createDatabase(cl.newDatabase, cl.demo);
    if (!created) {
        err << "quintor: " << created.error() << "\n";
        return 1;
    }
    out << "Base de datos creada: " << cl.newDatabase << (cl.demo ? " (con datos de ejemplo)" : "") << "\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const app::CommandLine cl = app::CommandLine::parse(arguments);
    if (cl.isCommand()) {
        QCoreApplication core(argc, argv);
        return runCommand(cl);
    }
    if (cl.headless) {
        QCoreApplication core(argc, argv);
        return app::runHeadless(cl);
    }

    ConsoleApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintor"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTOR_VERSION));
    ui::setLanguage(cl.english ? ui::Language::English : ui::Language::Spanish);
    app::installQtTranslations(application, cl.language());

    // Held for the life of the process; nothing ever waits on it.
    QSystemSemaphore semaphore(QStringLiteral("Quintor"), 0, QSystemSemaphore::Create);

    QSplashScreen splash(splashPixmap(), Qt::WindowStaysOnTopHint);
    splash.show();
    application.processEvents();

    TFrmMain mainWindow;

    if (!TDataModule1::engineAvailable()) {
        splash.close();
        ui::showMessage(nullptr,
                        ui::MessageRequest{QStringLiteral("Atención"),
                                           QStringLiteral("Imposible acceder a la base datos...\r"
                                                          "Instale correctamente las librerías MDAC"),
                                           ui::Icon::Error, ui::Buttons::Ok});
        return 1;
    }
    TDataModule1 data;
    ConsoleContext context;
    context.data = &data;
    const app::Paths paths = app::Paths::forConsole(cl.home);
    QString firstDatabaseError;
    app::createFirstDatabase(paths, &firstDatabaseError);
    if (!cl.database.trimmed().isEmpty()) {
        // Remembered for the next starts, without the password.
        const Result<QString> chosen =
            app::ConfigIni(paths.configIni()).useDatabase(cl.database, paths.databaseFolder());
        if (chosen)
            context.databasePassword = chosen.value();
        else
            ui::showMessage(nullptr, ui::MessageRequest{QStringLiteral("Atención"), chosen.error(),
                                                        ui::Icon::Error, ui::Buttons::Ok});
    }
    // The console's name among the consoles of its database, remembered.
    const app::ConfigIni config(paths.configIni());
    if (!cl.console.isEmpty()) {
        if (const Status written = config.writeConsoleName(cl.console); !written)
            ui::showMessage(nullptr, ui::MessageRequest{QStringLiteral("Atención"), written.error(),
                                                        ui::Icon::Error, ui::Buttons::Ok});
    }
    context.consoleName = cl.console.isEmpty() ? config.consoleName() : cl.console;
    if (!firstDatabaseError.isEmpty())
        ui::showMessage(nullptr, ui::MessageRequest{QStringLiteral("Atención"), firstDatabaseError,
                                                    ui::Icon::Error, ui::Buttons::Ok});

    // Every station link holds a socket.
    station::raiseOpenFileLimit();
    ConsoleEngine engine(context);
    StationController stations(engine, mainWindow);
    SessionController sessions(engine, mainWindow, stations);
    AccountsController accountsController(engine, mainWindow, stations);
    CodigosController codigosController(engine, mainWindow, accountsController);
    AdminController admin(engine, mainWindow, stations);
    SalesController salesController(engine, mainWindow, stations, sessions);
    AboutController about(context, mainWindow);
    TarifasController tarifas(engine);
    ConsoleLifecycle lifecycle(context, paths, mainWindow, engine);
    AsistenteController asistente(engine, mainWindow, lifecycle);
    lifecycle.addGridParticipant(&sessions);
    lifecycle.addGridParticipant(&accountsController);
    lifecycle.addGridParticipant(&codigosController);
    MailController mail(context, mainWindow, engine);
    lifecycle.setMail(&mail);
    ReportsController reports(context, mainWindow);
    reports.setCajaMailer([&mail](const QStringList& html) { mail.enviarInformeCaja(html); });
    ConsolasController consolas(engine, mainWindow);
    HelpController help(mainWindow);
    std::unique_ptr<app::ScreenshotTour> tour;
    if (!cl.screenshots.isEmpty()) {
        tour = std::make_unique<app::ScreenshotTour>(cl.screenshots, mainWindow);
        help.setOpener({}); // the built-in viewer, to be pictured
    }

    // The log-in comes before the main window appears; the splash steps
    // aside so it never covers the dialog.
    splash.hide();
    TFrmAcceso acceso(context, paths, TFrmAcceso::Mode::Startup);
    if (!acceso.begin() || acceso.programMustEnd())
        return 0;
    if (ui::execDialog(&acceso) != QDialog::Accepted)
        return 0;
    splash.show();
    application.processEvents();

    if (!lifecycle.afterLogin())
        return 1;
    asistente.beforeShow();
    mainWindow.show();
    splash.finish(&mainWindow);
    // Without a window manager nothing gives a new window the keyboard: the
    // F-keys must work from the first moment.
    mainWindow.raise();
    mainWindow.activateWindow();
    // The assistant after the layout, inside the running event loop: its
    // cancel may close the console.
    QTimer::singleShot(100, &lifecycle, [&lifecycle, &asistente] {
        lifecycle.restoreLayout();
        asistente.afterLogin();
    });
    if (tour)
        tour->start();
    return application.exec();
}
