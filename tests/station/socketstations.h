#pragma once

#include <QByteArray>
#include <QHostAddress>

#include <vector>

// Station programs that misbehave below the protocol, made of plain sockets:
// QTcpServer accepts and reads on its own, which is just what these must not do.

// A station address that takes no more connections: its listener never
// accepts, and its queue is filled with connections of its own, so the
// system drops every further connect unanswered, as towards a PC that was
// switched off.
class UnansweredListener {
public:
    UnansweredListener() = default;
    UnansweredListener(const UnansweredListener&) = delete;
    UnansweredListener& operator=(const UnansweredListener&) = delete;
    ~UnansweredListener();

    // False when it could not listen or a connect never came to hang.
    bool open(const QHostAddress& address, quint16 port);
    void close();

private:
    int m_listener = -1;
    std::vector<int> m_fillers;
};

// A station whose program stopped reading: it accepts, answers when told,
// and leaves what the console sends unread in a tiny receive window, so the
// console's writes soon stop going out.
class StalledStation {
public:
    StalledStation() = default;
    StalledStation(const StalledStation&) = delete;
    StalledStation& operator=(const StalledStation&) = delete;
    ~StalledStation();

    bool listen(const QHostAddress& address, quint16 port);
    // Takes the console's next connection, dropping the previous one.
    bool accept(int timeoutMs = 5000);
    bool reply(const QByteArray& bytes);
    // What has arrived on the current connection, waiting for the first byte.
    QByteArray readSome(int timeoutMs = 5000);
    // Reads the current connection to its end: true when the console reset
    // it, false when it ended in order (or did not end within timeoutMs).
    bool endsInReset(int timeoutMs = 5000);

private:
    int m_listener = -1;
    int m_connection = -1;
};
