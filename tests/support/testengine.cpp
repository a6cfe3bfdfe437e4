#include "support/testengine.h"

#include "store/opciones.h"
#include "store/sql.h"

TestEngine::TestEngine(const QString& sql) {
    if (!sql.isEmpty())
        store::run(db.data.db(), sql);
    context.data = &db.data;
    context.regional = Regional::spanishSpain();
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    context.settings = store::runtimeSettings(store::readOpciones(db.data.db()));
    engine = std::make_unique<ConsoleEngine>(context);
    if (!engine->cargarTarifas() || !engine->puestos().CargarPuestos(nullptr))
        qFatal("cannot load the test engine");
}

void TestEngine::tick(qint64 advanceMs) {
    clock.advance(advanceMs);
    engine->reloj().tick(clock.monotonicMs());
}

int TestEngine::pos(int number) {
    return engine->puestos().positionOf(number);
}

station::StationRecord& TestEngine::rec(int number) {
    return engine->puestos().at(pos(number)).rec();
}
