#pragma once
// The network setup window: lists the boards that answer the configuration
// query on UDP, shows a chosen board's Ethernet, port, name and WiFi settings,
// checks them every second and broadcasts the configuration record to the
// board's MAC address. It also offers the computer's interfaces; the plant
// window polls the window for a new interface and for its closing.

#include "boardrecord.h"
#include "dialogfault.h"
#include "dialogwarn.h"
#include "windowdrag.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QLineEdit;
class QListWidgetItem;
class QUdpSocket;

namespace Ui {
class DialogVeloraSetup;
}

class DialogVeloraSetup : public QDialog
{
    Q_OBJECT
public:
    typedef quint16 WORD;

    explicit DialogVeloraSetup(QWidget* parent = nullptr);
    ~DialogVeloraSetup() override;

    // The interface in use ("None" until set) and, when it has several, its
    // address to use: the window's socket binds to that address (else to the
    // interface's last IPv4 address), and "Using: " + name is shown.
    void setTheInterfaceInUse(const QString& name, const QString& address = QString());
    QString getTheInterfaceInUse() const { return interfaceInUse; }
    // The address picked with the interface in the combo box.
    QString getTheAddressInUse() const { return addressInUse; }
    bool getTheCloseRequested() const { return closeRequested; }
    bool getTheInterfaceHasChanged() const { return interfaceHasChanged; }
    void setTheInterfaceHasChanged(bool changed) { interfaceHasChanged = changed; }

    // Read-only views for the tests.
    int getTheSelectedBoard() const { return selectedBoard; }
    int getTheSendCounter() const { return sendCounter; }
    QByteArray getTheConfiguration() const { return configurationRecord; }
    const QUdpSocket* socket() const { return udpSocket; }
    DialogWarn* warning() const { return warn; }
    DialogFault* fault() const { return faultDialog; }

    void broadcastDatagram(WORD command);
    void ProcessTheDatagram(QByteArray& datagram);
    void OpenSocketForConfig();

public slots:
    void TheBackground();
    void on_ButtonCancel_clicked();
    void processPendingDatagrams();
    void on_listInvWidget_itemClicked(QListWidgetItem* item);
    void on_pushButtonApplyConfig_clicked();
    void on_ComboInterface_currentIndexChanged(int index);
    void on_pushButtonApplyIntf_clicked();
    void on_ESSIDList_itemDoubleClicked(QListWidgetItem* item);
    void on_DHCPWiFiFlag_clicked();
    void on_DHCPEthFlag_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // One answering board: its latest reply and whether a WiFi reply came
    // since its networks were last shown.
    struct Board
    {
        BoardSettings reply;
        bool updated = false;
    };

    // Marks every field the record takes; true when all of them may be sent.
    bool checkFields();
    void refreshSelectedBoard();
    void fillNetworks(const QStringList& itemTexts, const QStringList& essids);
    BoardSettings settingsFromForm() const;

    Ui::DialogVeloraSetup* ui;
    QTimer timer;
    WindowDrag drag;
    QUdpSocket* udpSocket = nullptr;
    QVector<Board> boards;
    int selectedBoard = -1;
    int sendCounter = -1;
    QByteArray configurationRecord;
    bool closeRequested = false;
    QString interfaceInUse = "None";
    QString addressInUse;
    QString chosenInterface;
    QString chosenAddress;
    bool interfaceHasChanged = false;
    QVector<QLineEdit*> addressFields; // Ethernet IP, netmask, gateway, then WiFi
    QPointer<DialogFault> faultDialog;
    QPointer<DialogWarn> warn;
};
