#pragma once
// Asked at every start: the network interface to use and the plant to show.

#include "windowdrag.h"

#include <QDialog>
#include <QList>
#include <QNetworkInterface>
#include <QPoint>
#include <QStringList>
#include <QTimer>

class DialogPlantChoose;

namespace Ui {
class DialogFirstUse;
}

class DialogFirstUse : public QDialog
{
    Q_OBJECT
public:
    explicit DialogFirstUse(QWidget* parent = nullptr);
    ~DialogFirstUse() override;

    void setThePlantList(const QStringList& plants);
    QStringList getThePlantList() const { return plantList; }
    bool getDone() const { return done; }
    QNetworkInterface getTheInterface() const { return iface; }
    QString getTheLocalAddressText() const { return localAddressText; }
    QString getTheChosenPlant() const { return chosenPlant; }
    DialogPlantChoose* getThePlantChooser() const { return plantChooser; }

    // Item text of one interface address: "<address> [<interface name>]".
    static QString InterfaceItemText(const QString& address, const QString& humanName);
    // The part of an item before its first "[" (the address and one blank).
    static QString LocalAddressOf(const QString& item);

public slots:
    void on_pushButtonApplyConfig_clicked();
    void on_ComboInterfacePlant_currentIndexChanged(const QString& text);
    void ActivityCheck();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Ui::DialogFirstUse* ui;
    bool done = false;
    QNetworkInterface iface;
    QString localAddressText;
    QString chosenPlant;
    QStringList plantList;
    QList<QNetworkInterface> interfaces;
    QTimer activityTimer;
    DialogPlantChoose* plantChooser = nullptr;
    WindowDrag drag;
};
