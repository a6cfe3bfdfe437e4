#pragma once

#include <QString>

// Databases as the older versions left them ("3.2" or "3.21"), built from the
// layout scripts of tests/support/data into path.
void createOldDatabase(const QString& path, const QString& version);
