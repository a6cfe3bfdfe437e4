#pragma once

#include <QStringList>

class QWidget;
namespace ui {
class MessageTable;
}

namespace accounts {

// Opens the desktop's mail program on a message to the non-blank addresses.
// No address: "MensajeMail"; a mail program that cannot be started: its own
// error text. Answers whether the program was started.
bool abrirCorreo(QWidget* parent, const QStringList& emails);

// The texts abrirCorreo shows.
const ui::MessageTable& correoMessages();

} // namespace accounts
