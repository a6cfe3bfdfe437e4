#pragma once

#include "ui/messagetable.h"

#include <QString>
#include <QStringList>

namespace app {

// The manual is a folder of HTML pages, one subfolder per language ("es",
// "en") and the screenshots in "img". The build copies it to
// <build>/share/quintor/manual and the package installs it to
// /usr/share/quintor/manual, so both are found from the program's folder.
QString manualFolder(const QString& programFolder, const QStringList& dataFolders);
// The folder for this console: beside its program, else in the system's data folders.
QString manualFolder();

// The table of contents in the language; Spanish when that language has
// no manual. Empty when neither is there.
QString manualIndex(const QString& folder, ui::Language language);

// Whether the desktop has a program that shows web pages. Opening a page
// without one "succeeds" and shows nothing, so the console checks first.
bool desktopHasBrowser();

} // namespace app
