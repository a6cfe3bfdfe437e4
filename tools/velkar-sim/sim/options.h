#pragma once

#include "sim/fault.h"
#include "sim/simulator.h"

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace velkarsim {

// The command line of velkar-sim.
struct Options {
    bool headless = false;
    QHostAddress base{QStringLiteral("127.0.1.1")};
    int count = 8;
    int firstNumber = 1;
    quint16 port = 2222;
    Fault fault;                     // --fault, for every station
    QMap<int, Fault> faultByStation; // --fault-station N:MODE, by station number
    QString scriptFile;
    QHostAddress controlHost;
    quint16 controlPort = 0;
    bool hasControl = false;
    bool log = false;
    bool stats = false;
    int statsEverySeconds = 0; // 0: on exit only
    int rebootMs = 5000;
    double durationSeconds = 0; // 0: until quit
    Simulator::ListenPolicy listenPolicy = Simulator::ListenPolicy::Auto;
    // Window: the screen edge whose third the window takes, none to let the
    // system place it; a file written once the window is on the screen.
    enum class Place { System, Left, Right };
    Place place = Place::System;
    QString readyFile;
    bool help = false;
    QString error;

    // arguments without the program name.
    static Options parse(const QStringList& arguments);
    static QString helpText();
};

} // namespace velkarsim
