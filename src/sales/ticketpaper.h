#pragma once

#include <QTextBrowser>

struct ConsoleContext;

namespace sales {

// The current ticket drawn as the paper ticket: header, remark (red, bold),
// number, date and time, the lines, the total and the footer.
class TicketPaper : public QTextBrowser {
    Q_OBJECT
public:
    TicketPaper(ConsoleContext& context, QWidget* parent = nullptr);
    // Draws ticket idTick (0: an empty paper). Throws store::DatabaseError.
    void showTicket(int idTick);

private:
    ConsoleContext& m_context;
};

} // namespace sales
