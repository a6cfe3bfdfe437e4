#include "station/frmcolmen.h"

#include "station/messagequeue.h"
#include "ui/listview.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

const ui::MessageTable& TFrmColMen::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"ConfirmeLimpiar", QStringLiteral("Se eliminarán todos los mensajes... ¿Continuar?"),
         QStringLiteral("All the messages will be removed... Continue?")},
    };
    return table;
}

TFrmColMen::TFrmColMen(station::MessageQueueModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    setObjectName(QStringLiteral("TFrmColMen"));
    setWindowTitle(QStringLiteral("Cola de mensajes "));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    auto* tools = new QHBoxLayout;
    auto* clear = new QToolButton(this);
    clear->setObjectName(QStringLiteral("limpiarButton"));
    clear->setText(QStringLiteral("Limpi&ar"));
    clear->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(clear);
    QAction* one = menu->addAction(QStringLiteral("&1.- Limpiar mensaje seleccionado..."));
    one->setObjectName(QStringLiteral("limpiarSeleccionado"));
    QAction* all = menu->addAction(QStringLiteral("&2.- Limpiar todos los mensajes..."));
    all->setObjectName(QStringLiteral("limpiarTodos"));
    clear->setMenu(menu);
    connect(one, &QAction::triggered, this, &TFrmColMen::clearSelected);
    connect(all, &QAction::triggered, this, &TFrmColMen::clearAll);
    tools->addWidget(clear);
    tools->addStretch();
    layout->addLayout(tools);

    m_view = ui::makeListView(&m_model, QStringLiteral("messageList"), this);
    m_view->horizontalHeader()->setStretchLastSection(true);
    ui::fitColumns(m_view, {50, 70}, {QStringLiteral("999"), QStringLiteral("88:88:88")});
    layout->addWidget(m_view, 1);

    auto* entryRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Mensaje:"), this);
    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("messageEntry"));
    m_entry->setMaxLength(MaxMessageLength);
    label->setBuddy(m_entry);
    auto* send = new QPushButton(QStringLiteral("Enviar"), this);
    send->setObjectName(QStringLiteral("sendButton"));
    entryRow->addWidget(label);
    entryRow->addWidget(m_entry, 1);
    entryRow->addWidget(send);
    layout->addLayout(entryRow);

    // The line is not cleared: the same text often goes to several stations.
    auto doSend = [this] { emit sendRequested(m_entry->text()); };
    connect(send, &QPushButton::clicked, this, doSend);
    connect(m_entry, &QLineEdit::returnPressed, this, doSend);
    connect(&m_model, &QAbstractItemModel::rowsInserted, m_view, [this] { m_view->scrollToBottom(); });
}

QString TFrmColMen::messageText() const {
    return m_entry->text();
}

void TFrmColMen::setMessageText(const QString& text) {
    m_entry->setText(text);
}

void TFrmColMen::clearSelected() {
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        m_model.removeRowAt(current.row());
}

void TFrmColMen::clearAll() {
    if (m_model.rowCount() == 0)
        return;
    if (ui::showMessage(this, messages(), QStringLiteral("ConfirmeLimpiar"), ui::Icon::Question,
                        ui::Buttons::YesNo) == ui::Answer::Yes)
        m_model.clear();
}

TFrmVolumen::TFrmVolumen(QWidget* parent)
    : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TFrmVolumen"));
    setWindowTitle(QStringLiteral("Audio Volume"));
    auto* layout = new QVBoxLayout(this);
    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(QStringLiteral("volumeSlider"));
    m_slider->setRange(0, 65500);
    m_slider->setSingleStep(5000);
    m_slider->setPageStep(5000);
    m_slider->setTickInterval(5000);
    m_slider->setTickPosition(QSlider::TicksBothSides);
    layout->addWidget(m_slider, 1, Qt::AlignHCenter);
    auto* apply = new QPushButton(QStringLiteral("&Aplicar"), this);
    apply->setObjectName(QStringLiteral("applyButton"));
    layout->addWidget(apply);
    connect(apply, &QPushButton::clicked, this, [this] { emit applyRequested(m_slider->value()); });
    // Wide enough for the caption next to the title bar's buttons.
    const int captionWidth =
        QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(windowTitle());
    resize(qMax(200, captionWidth + 120), 300);
}

void TFrmVolumen::showBeside(const QWidget* anchor) {
    if (anchor && anchor->isVisible()) {
        // To the right of the anchor, level with its top, never off the screen.
        QPoint at = anchor->mapToGlobal(QPoint(anchor->width() + 8, 0));
        if (const QScreen* screen = anchor->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(qBound(area.left(), at.x(), area.right() - frameGeometry().width()));
            at.setY(qBound(area.top(), at.y(), area.bottom() - frameGeometry().height()));
        }
        move(at);
    }
    show();
    raise();
    activateWindow();
}

int TFrmVolumen::value() const {
    return m_slider->value();
}

void TFrmVolumen::setValue(int value) {
    m_slider->setValue(value);
}

void TFrmVolumen::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
