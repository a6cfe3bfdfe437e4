#include "sales/frmcambio.h"

#include "core/consolecontext.h"
#include "core/importes.h"
#include "sales/decimalfield.h"
#include "sales/puntoventa.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/importebox.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sales {

const ui::MessageTable& TFrmcambio::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        mensajeImporteMaximo(),
    };
    return table;
}

TFrmcambio::TFrmcambio(ConsoleContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmcambio"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_panel = new QLabel(this);
    m_panel->setObjectName(QStringLiteral("lcd"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(18);
    font.setBold(true);
    m_panel->setFont(font);
    m_panel->setStyleSheet(QStringLiteral("QLabel { background: black; color: #9dff9d; padding: 8px; }"));
    m_panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_delivered = new DecimalField(context.regional.decimalSeparator(), this);
    m_delivered->setObjectName(QStringLiteral("entregado"));
    m_delivered->installEventFilter(this);
    m_print = new QPushButton(QStringLiteral("Imprimir"), this);
    auto* drawer = new QPushButton(QStringLiteral("Abrir cajón"), this);
    auto* close = new QPushButton(QStringLiteral("[Esc] Cerrar"), this);
    // Enter on a button presses it, as in any dialog: Enter after the amount
    // lands on "Imprimir", and a second Enter prints.
    for (QPushButton* b : {m_print, drawer, close})
        b->setAutoDefault(true);
    connect(m_print, &QPushButton::clicked, this, [this] {
        if (computeChange())
            emit printRequested(m_idTick);
    });
    connect(drawer, &QPushButton::clicked, this, &TFrmcambio::drawerRequested);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* field = new QHBoxLayout;
    field->addWidget(new QLabel(QStringLiteral("Entregado :"), this));
    field->addWidget(m_delivered, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_print);
    buttons->addWidget(drawer);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);
    layout->addLayout(field);
    layout->addLayout(buttons);
    setPanel({});
}

void TFrmcambio::setPanel(const QStringList& lines) {
    m_lines = lines;
    QStringList shown;
    for (int i = 0; i < Lines; ++i)
        shown << lines.value(i).left(Columns).leftJustified(Columns);
    m_panel->setText(shown.join(QLatin1Char('\n')));
}

void TFrmcambio::showFor(int idTick, Currency total, QWidget* owner) {
    if (owner && parentWidget() != owner)
        setParent(owner, windowFlags());
    m_idTick = idTick;
    m_total = total;
    setPanel({QStringLiteral("Total Ticket:"), QString(), m_context.regional.formatCurrency(total)});
    m_delivered->clear();
    if (!isVisible())
        m_opener = ui::FocusReturn(owner, this);
    m_wasActive = false;
    m_lostFocus = false;
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
    m_delivered->setFocus();
}

bool TFrmcambio::computeChange(bool report) {
    const ImporteTecleado typed = leerImporte(m_context.regional, m_delivered->text());
    const Currency delivered = typed.importe().value_or(Currency());
    const std::optional<Currency> change = Currency::checkedSub(delivered, m_total);
    if (typed.excesivo() || !change) {
        if (!report)
            return false;
        // The message box takes the activation; the panel must not close for that.
        m_wasActive = false;
        ui::refuseAmount(this, messages(), m_context.regional, m_delivered);
        return false;
    }
    setPanel({QStringLiteral("Total Ticket:"), QString(), m_context.regional.formatCurrency(m_total),
              QString(), QString(), QStringLiteral("Cambio:"), QString(),
              m_context.regional.formatCurrency(*change)});
    try {
        store::Udart u = readUdart(m_context.data->db());
        u.ENTREGADO = delivered;
        u.CAMBIO = *change;
        saveUdart(m_context.data->db(), u);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
    return true;
}

bool TFrmcambio::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_delivered) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (computeChange())
                    m_print->setFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Silent here: the command that moved the focus reports it.
            computeChange(false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmcambio::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F2:
        close();
        return;
    case Qt::Key_F4:
        emit drawerRequested();
        return;
    case Qt::Key_F6:
        if (computeChange())
            emit printRequested(m_idTick);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TFrmcambio::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            m_wasActive = true;
        else if (m_wasActive && isVisible()) {
            // The operator went elsewhere: the keyboard stays where he went.
            m_lostFocus = true;
            close();
        }
    }
    QWidget::changeEvent(event);
}

void TFrmcambio::closeEvent(QCloseEvent* event) {
    try {
        store::Udart u = readUdart(m_context.data->db());
        u.ENTREGADO = Currency();
        u.CAMBIO = Currency();
        saveUdart(m_context.data->db(), u);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
    QWidget::closeEvent(event);
    if (!m_lostFocus)
        m_opener.restore();
}

} // namespace sales
