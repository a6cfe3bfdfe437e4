#pragma once

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>

// 127.<program>.<pid>.1: addresses of one test program and process only, so
// test programs running side by side never share a station address.
inline QHostAddress loopbackBase(quint32 program) {
    const quint32 pidPart = quint32(QCoreApplication::applicationPid() % 250) + 1;
    return QHostAddress((127u << 24) | (program << 16) | (pidPart << 8) | 1u);
}

// A port nobody listens on at that address right now; 0 when none.
inline quint16 freePort(const QHostAddress& address) {
    QTcpServer probe;
    if (!probe.listen(address, 0))
        return 0;
    return probe.serverPort();
}
