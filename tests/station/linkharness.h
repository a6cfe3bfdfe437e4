#pragma once

#include "core/clock.h"
#include "core/consolecontext.h"
#include "fakestation.h"
#include "station/listapuestos.h"
#include "store/rows.h"
#include "support/recordingdecisions.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

// A registry of stations played by FakeStations on loopback, on a fake
// clock: the test moves time, the sockets are real.
class LinkHarness {
public:
    explicit LinkHarness(int program);

    // The transport of the links of harnesses made from now on.
    static station::TransportKind transport;

    FakeClock clock;
    ConsoleContext ctx;
    RecordingDecisions decisions;
    std::unique_ptr<ListaPuestos> lista;
    std::vector<std::unique_ptr<FakeStation>> stations;
    std::vector<store::Puesto> rows;

    // A station with that number on a fresh address; listening unless told otherwise.
    FakeStation& addStation(int number, bool listening = true);
    // Builds the registry from the rows added; does not start the links.
    void load();
    quint16 port() const { return m_port; }
    // Starts every link and waits until each has connected or failed.
    bool startAll();

    TPuestos& puesto(int number) { return *lista->byNumber(number); }
    TTareaCliente& link(int number) { return *puesto(number).tarea; }
    station::StationRecord& rec(int number) { return puesto(number).rec(); }

    void advance(qint64 ms);
    void advanceTo(qint64 monotonicMs);
    // Moves time to the link's next exchange and waits for it to end.
    bool exchange(int number);
    // Waits until the link is sleeping between exchanges (it connected, or failed).
    bool settled(int number);

private:
    int m_program;
    quint16 m_port = 0;
};
