#pragma once
// Manual entry of an equipment that discovery does not find: one on another
// network, reached by a DNS name, on another port, or a TPX unit. The fields
// are checked twice a second; "Add object" only raises a flag that the plant
// window polls, reads the fields from and clears.

#include "windowdrag.h"

#include <QDialog>
#include <QHostInfo>
#include <QPoint>
#include <QString>
#include <QTimer>

class QCheckBox;
class QLabel;
class QMouseEvent;

namespace Ui {
class DialogAddManually;
}

class DialogAddManually : public QDialog
{
    Q_OBJECT

public:
    explicit DialogAddManually(QWidget* parent = nullptr);
    ~DialogAddManually() override;

    // Fields read by the plant window once getAddRequested() is true.
    QString getTheAddress() const { return address; }
    QString getTheName() const;
    int getThePort() const { return port; }
    int getTheFtpPort() const { return ftpPort; }
    bool getTransformerless() const { return transformerless; }
    bool getStringBox() const { return stringBox; }
    bool getTpx() const { return tpx; }
    bool getHasDnsName() const { return hasDnsName; }
    QString getTheDnsName() const { return dnsName; }

    bool getAddRequested() const { return addRequested; }
    void setAddRequested(bool requested) { addRequested = requested; }
    bool getFinished() const { return finished; }
    // The plant already has a TPX unit: the TPX box is not offered.
    void setTpxPresent(bool present);

    // Result of the last check: address, port and FTP port all valid.
    bool getFieldsValid() const { return fieldsValid; }

public slots:
    void on_ButtonAdd_clicked();
    void on_ButtonCancel_clicked();
    void ChkTimeout();
    void on_DialogAddManually_finished(int result);
    void on_ButtonCheck_clicked();
    void on_IsTL_clicked();
    void on_IsSB_clicked();
    void on_IsTPX_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Shows the tick or the cross; the label's "valid" property keeps the state.
    void showValid(QLabel* label, bool valid);
    // Port field: shows its state and keeps the port when valid.
    bool checkPort(const QString& text, QLabel* status, int& stored);
    void showKindBoxes(bool show);
    void keepOnlyChecked(QCheckBox* clicked);
    void forgetLookup();

    Ui::DialogAddManually* ui;
    QTimer checkTimer;
    WindowDrag drag;

    QString address;
    int port = 0;
    int ftpPort = 0;
    QString name;
    QString dnsName;
    QHostInfo lookupInfo;
    bool addRequested = false;
    bool fieldsValid = false;
    bool addressFound = false;
    bool finished = false;
    bool hasDnsName = false;
    bool transformerless = false;
    bool stringBox = false;
    bool tpx = false;
    bool tpxPresent = false;
};
