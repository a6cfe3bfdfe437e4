#pragma once

#include "ui/messagetable.h"

#include <QWidget>

class QLineEdit;
class QTableView;

namespace station {
class MessageQueueModel;
}

// "Cola de mensajes ": the messages exchanged with the stations, and the line
// from which the operator sends one to the selected station.
class TFrmColMen : public QWidget {
    Q_OBJECT
public:
    // The longest text that fits one line to a station after "MSG\t".
    static constexpr int MaxMessageLength = 508;

    explicit TFrmColMen(station::MessageQueueModel& model, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();
    QString messageText() const;
    void setMessageText(const QString& text);

    // "&1.- Limpiar mensaje seleccionado..." and "&2.- Limpiar todos los mensajes...".
    void clearSelected();
    void clearAll();

signals:
    // "Enviar" or Enter in the line: the text goes to the selected station.
    void sendRequested(const QString& text);

private:
    station::MessageQueueModel& m_model;
    QTableView* m_view = nullptr;
    QLineEdit* m_entry = nullptr;
};

// "Audio Volume": the volume to send to the selected station.
class TFrmVolumen : public QWidget {
    Q_OBJECT
public:
    explicit TFrmVolumen(QWidget* parent = nullptr);
    int value() const;
    void setValue(int value);
    // Shows the window beside anchor (the station grid), inside the screen.
    void showBeside(const QWidget* anchor);

signals:
    void applyRequested(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class QSlider* m_slider = nullptr;
};
