#include "app/frmayuda.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

const ui::MessageTable& TFrmAyuda::messages() {
    static const ui::MessageTable table{
        {"Titulo", QStringLiteral("Ayuda de Quintor"), QStringLiteral("Quintor help")},
        {"Indice", QStringLiteral("Índice"), QStringLiteral("Contents")},
        {"Atras", QStringLiteral("Atrás"), QStringLiteral("Back")},
        {"Adelante", QStringLiteral("Adelante"), QStringLiteral("Forward")},
        {"Cerrar", QStringLiteral("Cerrar"), QStringLiteral("Close")},
        {"NoManual", QStringLiteral("No se encuentra el manual de Quintor.\rReinstale el paquete quintor."),
         QStringLiteral("The Quintor manual cannot be found.\rReinstall the quintor package.")},
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
    };
    return table;
}

TFrmAyuda::TFrmAyuda(QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TFrmAyuda"));
    setWindowTitle(messages().text(QStringLiteral("Titulo")));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    // Links to the web go to the desktop; the manual's own pages stay here.
    m_browser->setOpenExternalLinks(true);

    auto* bar = new QToolBar(this);
    QAction* home = bar->addAction(messages().text(QStringLiteral("Indice")));
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    QAction* back = bar->addAction(messages().text(QStringLiteral("Atras")));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = bar->addAction(messages().text(QStringLiteral("Adelante")));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(home, &QAction::triggered, this, [this] {
        if (!m_home.isEmpty())
            m_browser->setSource(QUrl::fromLocalFile(m_home));
    });
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    // A bare X server draws no title bar: the window closes by itself.
    auto* cerrar = new QPushButton(messages().text(QStringLiteral("Cerrar")), this);
    cerrar->setObjectName(QStringLiteral("cerrar"));
    connect(cerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 6, 6, 6);
    buttons->addStretch(1);
    buttons->addWidget(cerrar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);
    resize(900, 700);
}

void TFrmAyuda::showPage(const QString& file) {
    m_home = file;
    m_browser->setSource(QUrl::fromLocalFile(file));
}

QUrl TFrmAyuda::source() const {
    return m_browser->source();
}
