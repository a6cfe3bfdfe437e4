#pragma once

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velkarsim {

class Simulator;

// One station on screen: what the console last told it, and the customer's
// and technician's controls (log-in, log-out, message, admin mode, password,
// power, fault).
class StationTile final : public QFrame {
    Q_OBJECT
public:
    StationTile(Simulator& simulator, int index, QWidget* parent = nullptr);

    // Redraws when the station changed since the last call.
    void refresh(bool force = false);

private:
    void logIn();
    void sendMessage();
    void changePassword();
    void toggleAdmin();
    void togglePower();
    void applyFault();
    void queued(bool ok);

    Simulator& m_sim;
    int m_index;
    quint64 m_shownRevision = ~quint64(0);
    bool m_shownListening = false;

    QLabel* m_title;
    QLabel* m_address;
    QLabel* m_connection;
    QLabel* m_state;
    QLabel* m_time;
    QLabel* m_cost;
    QLabel* m_balance;
    QLabel* m_login;
    QLabel* m_message;
    QLabel* m_warning;
    QLabel* m_volume;
    QLabel* m_refusal;
    QLabel* m_password;
    QLabel* m_off;
    QLabel* m_queue;
    QLineEdit* m_loginEdit;
    QLineEdit* m_passwordEdit;
    QPushButton* m_logInButton;
    QPushButton* m_logOutButton;
    QPushButton* m_adminButton;
    QLineEdit* m_messageEdit;
    QPushButton* m_messageButton;
    QLineEdit* m_newPasswordEdit;
    QPushButton* m_newPasswordButton;
    QPushButton* m_powerButton;
    QComboBox* m_fault;
    QSpinBox* m_delay;
};

} // namespace velkarsim
