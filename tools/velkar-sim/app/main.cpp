#include "app/headless.h"
#include "app/qttranslations.h"
#include "gui/mainwindow.h"
#include "sim/options.h"
#include "sim/transport.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // Two descriptors per station at most: raise the limit before anything opens.
    velkarsim::raiseOpenFileLimit();

    bool windowless = false;
    for (int i = 1; i < argc; ++i) {
        windowless = windowless || std::strcmp(argv[i], "--headless") == 0 ||
                     std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    }
    // The window's application takes its own options (-platform …) out first.
    std::unique_ptr<QCoreApplication> app;
    if (windowless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velkar-sim"));
    // The window is in Spanish; so are Qt's own dialogs and menus.
    if (!windowless)
        app::installQtTranslations(*app, QStringLiteral("es"));

    const velkarsim::Options options = velkarsim::Options::parse(QCoreApplication::arguments().mid(1));
    if (options.help) {
        std::fputs(velkarsim::Options::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "velkar-sim: %s\n\n%s", options.error.toLocal8Bit().constData(),
                     velkarsim::Options::helpText().toLocal8Bit().constData());
        return 2;
    }
    return options.headless ? velkarsim::runHeadless(options) : velkarsim::runGui(options);
}
