#include "session/engine.h"

#include "core/consolecontext.h"

ConsoleEngine::ConsoleEngine(ConsoleContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_puestos(context) {}

ConsoleEngine::~ConsoleEngine() { m_puestos.stopAll(); }
