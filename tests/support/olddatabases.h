#pragma once

#include <QString>

// Databases as the older versions left them ("3.2" or "3.21"), built from the
// layout scripts of tests/support/data into path.
void createOldDatabase(const QString& path, const QString& version);

// A database of 3.21 upgraded to the current version: its login, customer and
// code columns compare exactly, as in every database made before they
// declared how letter case compares.
void createUpgradedDatabase(const QString& path);
