#include "app/salescontroller.h"

#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "sales/frmimpuestos.h"
#include "session/engine.h"
#include "ui/opcionespage.h"

namespace {
// The options window's tree entry "I.V.A. / Tasas".
constexpr int TasasEntry = 9;
} // namespace

SalesController::SalesController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                                 QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(engine.context())
    , m_window(window)
    , m_stations(stations) {
    registerPages();
}

void SalesController::registerPages() {
    ui::registerOpcionesPage(TasasEntry, [](ConsoleContext& context, QWidget* parent) -> ui::OpcionesPage* {
        return new sales::TasasPage(context, parent);
    });
}
