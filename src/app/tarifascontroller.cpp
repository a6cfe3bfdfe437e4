#include "app/tarifascontroller.h"

#include "accounts/frmbonos.h"
#include "accounts/frmtarifas.h"
#include "session/engine.h"

namespace {
constexpr int EntryTarifas = 4;
constexpr int EntryFranjas = 5;
constexpr int EntryBonos = 6;
constexpr int EntryRecargas = 7;
} // namespace

TarifasController::TarifasController(ConsoleEngine& engine, QObject* parent)
    : QObject(parent) {
    ConsoleEngine* e = &engine;
    ui::registerOpcionesPage(EntryTarifas, [e](ConsoleContext& context, QWidget* p) -> ui::OpcionesPage* {
        auto stationTariffs = [e] {
            QStringList names;
            const ListaPuestos& puestos = e->puestos();
            for (int i = 0; i < puestos.count(); ++i)
                names << puestos.at(i).rec().tariffName;
            return names;
        };
        return new accounts::TarifasPage(context, e->tarifasEditables(), stationTariffs, p);
    });
    ui::registerOpcionesPage(EntryFranjas, [e](ConsoleContext& context, QWidget* p) -> ui::OpcionesPage* {
        return new accounts::FranjasPage(context, e->tarifasEditables(), p);
    });
    ui::registerOpcionesPage(EntryBonos, [](ConsoleContext& context, QWidget* p) -> ui::OpcionesPage* {
        return new accounts::BonosPage(context, accounts::BonosPage::Kind::Bonos, p);
    });
    ui::registerOpcionesPage(EntryRecargas, [](ConsoleContext& context, QWidget* p) -> ui::OpcionesPage* {
        return new accounts::BonosPage(context, accounts::BonosPage::Kind::Recargas, p);
    });
}
