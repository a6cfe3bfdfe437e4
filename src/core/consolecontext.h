#pragma once

#include "core/clock.h"
#include "core/regional.h"
#include "core/runtimesettings.h"

#include <QString>

class TDataModule1;
class CreditSync;

// The process-wide values every subsystem reads: the data module, the
// regional formats, the run-time settings, the clock and the operator on
// duty. Owned by the start-up; passed by reference, never global.
struct ConsoleContext {
    TDataModule1* data = nullptr;
    Regional regional = Regional::system();
    RuntimeSettings settings;
    Clock* clock = &SystemClock::instance();
    // The running stations, for changes of an account's credit; set by the
    // console's engine while it lives.
    CreditSync* creditSync = nullptr;
    // The console's name among the consoles of one database (config.ini,
    // --console; the computer's host name by default).
    QString consoleName;
    // NOMBRE of the operator who logged in.
    QString currentOperator;
    // Kept for engines that have a password; set by the password dialog.
    QString databasePassword;
    // The working database's file name, as found or chosen at start-up.
    QString workingDatabase;
    // config.ini did not exist at start-up.
    bool firstRun = false;
    // The 9x platform family keeps the database password in iorlp.dll; we
    // always run as NT, but the path stays testable.
    bool platform9x = false;
};
