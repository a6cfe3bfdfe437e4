#pragma once

#include <QString>

class QCoreApplication;

namespace app {

// Qt's own texts (file and print dialogs, the edit boxes' context menu,
// standard buttons) in the given language, "es" or "en", from the
// qt6-translations-l10n catalogues. A second call replaces the first.
// False when the catalogue is missing: Qt then stays in English.
bool installQtTranslations(QCoreApplication& application, const QString& language);

} // namespace app
