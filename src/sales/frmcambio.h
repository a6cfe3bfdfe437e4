#pragma once

#include "core/currency.h"
#include "ui/messagebox.h"

#include <QWidget>

class QLabel;
class QPushButton;
struct ConsoleContext;

namespace ui {
class MessageTable;
}

namespace sales {

class DecimalField;

// The change display: an LCD-style panel of 9 lines of 16 characters with
// the ticket's total, the amount delivered and the change. Borderless, on
// top, not modal; it closes when it loses the focus, and then the delivered
// amount and the change go back to 0. Closed from the keyboard, it gives the
// keyboard back to the window the sale was made in.
class TFrmcambio : public QWidget {
    Q_OBJECT
public:
    static constexpr int Lines = 9;
    static constexpr int Columns = 16;

    TFrmcambio(ConsoleContext& context, QWidget* parent = nullptr);

    // Shows the panel for ticket idTick with its total, over owner (the
    // window that is modal then, so the panel takes input above it).
    void showFor(int idTick, Currency total, QWidget* owner);
    QStringList panelLines() const { return m_lines; }
    DecimalField* deliveredField() const { return m_delivered; }

    // Leaving the delivered field: the change on the panel and in udart.
    // False, with nothing stored, when the delivered amount passes the
    // limit; report refuses it with a message and keeps the field focused.
    bool computeChange(bool report = true);

    static const ui::MessageTable& messages();

signals:
    void printRequested(int idTick);
    void drawerRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPanel(const QStringList& lines);

    ConsoleContext& m_context;
    QLabel* m_panel = nullptr;
    DecimalField* m_delivered = nullptr;
    QPushButton* m_print = nullptr;
    QStringList m_lines;
    int m_idTick = 0;
    Currency m_total;
    bool m_wasActive = false;
    bool m_lostFocus = false;
    ui::FocusReturn m_opener;
};

} // namespace sales
