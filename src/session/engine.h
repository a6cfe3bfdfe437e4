#pragma once

#include "station/listapuestos.h"
#include "station/messagequeue.h"

#include <QObject>

struct ConsoleContext;

// What runs behind the main window while the console is up: the station
// registry with its links, and the message queue they feed. The main window
// owns one and shows it; it never contains it.
class ConsoleEngine : public QObject {
    Q_OBJECT
public:
    explicit ConsoleEngine(ConsoleContext& context, QObject* parent = nullptr);
    ~ConsoleEngine() override;

    ConsoleContext& context() const { return m_context; }
    ListaPuestos& puestos() { return m_puestos; }
    station::MessageQueueModel& mensajes() { return m_mensajes; }

private:
    ConsoleContext& m_context;
    ListaPuestos m_puestos;
    station::MessageQueueModel m_mensajes;
};
