#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace app {

bool installQtTranslations(QCoreApplication& application, const QString& language) {
    const QString name = QStringLiteral("quintorQtTranslations");
    if (auto* previous = application.findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(previous);
        delete previous;
    }
    auto* translator = new QTranslator(&application);
    translator->setObjectName(name);
    if (!translator->load(QStringLiteral("qtbase_") + language,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace app
