#include "store/frminfo.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TFrminfo::TFrminfo(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TFrminfo"));
    setWindowTitle(QStringLiteral("Backup"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Compactar y reparar ha finalizado con éxito..."), this);
    label->setObjectName(QStringLiteral("infoLabel"));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMargin(16);
    layout->addWidget(label);
}

void TFrminfo::showNotice(QWidget* parent, int ms) {
    TFrminfo notice(parent);
    notice.show();
    notice.repaint();
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::processEvents();
    notice.close();
}
