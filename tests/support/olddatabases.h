#pragma once

#include <QString>
#include <QStringList>

// Databases as the older versions left them ("3.2" or "3.21"), built from the
// layout scripts of tests/support/data into path, then changed by statements
// (what an old database may hold besides its layout).
void createOldDatabase(const QString& path, const QString& version, const QStringList& statements = {});

// A database of 3.21 upgraded to the current version: its login, customer and
// code columns compare exactly, as in every database made before they
// declared how letter case compares.
void createUpgradedDatabase(const QString& path);
