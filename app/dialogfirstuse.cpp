#include "dialogfirstuse.h"

#include "appinfo.h"
#include "dialogplantchoose.h"
#include "imagebutton.h"
#include "plantstore.h"
#include "ui_dialogfirstuse.h"

#include <QMouseEvent>

static const char* const AddItem = "Add...";

DialogFirstUse::DialogFirstUse(QWidget* parent) : QDialog(parent), ui(new Ui::DialogFirstUse)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    ui->Version->setText(appinfo::ProgramVersion);
    styleImageButton(ui->pushButtonApplyConfig, ":/apply.png", ":/apply.png");

    // One item per IPv4 address of every interface that is not a loopback.
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& ni : all) {
        if (ni.flags() & QNetworkInterface::IsLoopBack)
            continue;
        for (const QNetworkAddressEntry& entry : ni.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            ui->ComboInterface->addItem(InterfaceItemText(entry.ip().toString(), ni.humanReadableName()));
            interfaces.append(ni);
        }
    }
    connect(&activityTimer, &QTimer::timeout, this, &DialogFirstUse::ActivityCheck);
    activityTimer.start(250);
}

DialogFirstUse::~DialogFirstUse()
{
    delete ui;
}

QString DialogFirstUse::InterfaceItemText(const QString& address, const QString& humanName)
{
    return address + " [" + humanName + "]";
}

QString DialogFirstUse::LocalAddressOf(const QString& item)
{
    const int bracket = item.indexOf('[');
    return bracket < 0 ? item : item.left(bracket);
}

void DialogFirstUse::setThePlantList(const QStringList& plants)
{
    plantList = plants;
    const QSignalBlocker block(ui->ComboInterfacePlant);
    ui->ComboInterfacePlant->clear();
    for (const QString& p : plants)
        ui->ComboInterfacePlant->addItem(p);
    ui->ComboInterfacePlant->addItem(AddItem);
    ui->ComboInterfacePlant->setCurrentIndex(0);
    chosenPlant = ui->ComboInterfacePlant->itemText(0);
}

void DialogFirstUse::on_ComboInterfacePlant_currentIndexChanged(const QString& text)
{
    if (text == QLatin1String(AddItem)) {
        if (!plantChooser) {
            plantChooser = new DialogPlantChoose(this);
            plantChooser->show();
        }
        return;
    }
    chosenPlant = ui->ComboInterfacePlant->currentText();
}

void DialogFirstUse::ActivityCheck()
{
    if (!plantChooser)
        return;
    ui->ComboInterfacePlant->setCurrentIndex(0);
    if (!plantChooser->getDone())
        return;
    const QString name = plantChooser->getName();
    if (name == QLatin1String("LOCAL") || name.isEmpty()) {
        plantChooser->SetMessage("Invalid Plant");
        plantChooser->setDone(false);
        return;
    }
    if (name == QLatin1String("NONE")) {
        delete plantChooser;
        plantChooser = nullptr;
        return;
    }
    // A name that repeats an existing plant would mix two plants' equipments.
    if (plantList.contains(name)) {
        plantChooser->SetMessage("Invalid plant name");
        plantChooser->setDone(false);
        return;
    }
    const int addIndex = ui->ComboInterfacePlant->count() - 1;
    {
        const QSignalBlocker block(ui->ComboInterfacePlant);
        ui->ComboInterfacePlant->insertItem(addIndex, name);
        ui->ComboInterfacePlant->setCurrentIndex(addIndex);
    }
    plantList.append(name);
    chosenPlant = name;
    delete plantChooser;
    plantChooser = nullptr;
}

void DialogFirstUse::on_pushButtonApplyConfig_clicked()
{
    const QString plant = ui->ComboInterfacePlant->currentText();
    const QString item = ui->ComboInterface->currentText();
    localAddressText = LocalAddressOf(item);
    if (plant == QLatin1String(AddItem))
        return;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& ni : all) {
        if (ni.flags() & QNetworkInterface::IsLoopBack)
            continue;
        if (item.isEmpty() || !item.contains(ni.humanReadableName()))
            continue;
        iface = ni;
        if (ni.flags() & QNetworkInterface::IsRunning)
            done = true;
        return;
    }
}

void DialogFirstUse::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void DialogFirstUse::mouseMoveEvent(QMouseEvent* event)
{
    drag.move(this, event);
}
