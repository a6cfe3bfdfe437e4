#include "ui/importebox.h"

#include "core/importes.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QLineEdit>

namespace ui {

namespace {

void focusOn(QWidget* focus) {
    if (!focus)
        return;
    focus->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        edit->selectAll();
}

} // namespace

void refuseAmount(QWidget* window, const MessageTable& table, const Regional& regional, QWidget* focus) {
    showMessage(window, MessageRequest{table.text(QStringLiteral("Atencion")),
                                       textoImporteMaximo(table, regional), Icon::Warning, Buttons::Ok});
    focusOn(focus);
}

void refuseQuantity(QWidget* window, const MessageTable& table, QWidget* focus) {
    showMessage(window, table, QStringLiteral("CantidadNoValida"), Icon::Warning);
    focusOn(focus);
}

bool amountWithinLimit(QWidget* window, const MessageTable& table, const Regional& regional, QLineEdit* box) {
    if (!leerImporte(regional, box->text()).excesivo())
        return true;
    refuseAmount(window, table, regional, box);
    return false;
}

} // namespace ui
