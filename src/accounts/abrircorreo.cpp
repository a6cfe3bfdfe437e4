#include "accounts/abrircorreo.h"

#include "accounts/correo.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QDesktopServices>

namespace accounts {

const ui::MessageTable& correoMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"MensajeMail", QStringLiteral("El valor de e-mail está en blanco en las cuentas seleccionadas"),
         QStringLiteral("The e-mail value is blank in the selected accounts")},
        {"ErrorMail",
         QStringLiteral("Error enviando el mensaje.\r\nVerifique que existe un cliente de correo."),
         QStringLiteral("Error sending the message.\r\nCheck that a mail client exists.")},
    };
    return table;
}

bool abrirCorreo(QWidget* parent, const QStringList& emails) {
    const QUrl url = mailtoUrl(emails);
    if (url.isEmpty()) {
        ui::showMessage(parent, correoMessages(), QStringLiteral("MensajeMail"), ui::Icon::Warning);
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        ui::showMessage(parent, correoMessages(), QStringLiteral("ErrorMail"), ui::Icon::Error);
        return false;
    }
    return true;
}

} // namespace accounts
