#pragma once
// Setup shared by the tests that run the console's windows, most of them
// against plantsim on loopback: scenario boards, a tile connected to one
// board, the plant window started with some boards, the plant lists as
// stored, and widget lookups by object name. Header-only; the plant window
// helpers are templates, so a test that has no plant window needs no
// velora_app.
#include "appinfo.h"
#include "invbutton.h"
#include "plantsimprocess.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace consoletest {

// One board of a plantsim scenario, named after its id; extra adds keys or replaces them.
inline QJsonObject simBoard(const QString& id, const QString& kind, int firmware,
                            const QJsonObject& extra = {})
{
    QJsonObject b{{"id", id}, {"kind", kind}, {"firmware", firmware}, {"name", id}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        b.insert(it.key(), it.value());
    return b;
}

// plantsim serving the boards on loopback, its plant moving once an hour only
// (values stay as set); extra: more options ("--no-ftp", "--no-udp"...).
inline bool startStillPlant(PlantSimProcess& sim, const QTemporaryDir& dir, const QJsonArray& boards,
                            const QStringList& extra)
{
    return sim.start(
        QStringList{"--scenario", writeScenario(dir, boards), "--loopback", "--update-ms", "3600000"} +
        extra);
}

// A tile for one of plantsim's boards, its kind written to the equipment's
// settings first, connected with its buttons enabled; null when it did not
// connect. A poll interval of 0 stops its cycle: the test ticks it.
inline std::unique_ptr<InvButton> connectedTile(PlantSimProcess& sim, const QString& storage,
                                                const QString& id, const QString& version, int pollMs,
                                                bool zeta = false, bool tpx = false)
{
    const SimBoard b = sim.board(id);
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                    QString("127.0.0.1-%1-Sim").arg(b.modbus));
        s.setValue("/inv/IsZETA", zeta);
        s.setValue("/inv/IsTPX", tpx);
        s.setValue("/inv/IsExcluded", false);
    }
    auto tile = std::make_unique<InvButton>();
    tile->setThePollInterval(pollMs);
    tile->setTheHostAddress(QHostAddress::LocalHost);
    tile->SetInvInfo("127.0.0.1", id, "NO_DNS_NAME", version, b.modbus, b.ftp, "Sim");
    tile->setTheStoragePath(storage + "/", __LINE__);
    tile->Palesati();
    if (!QTest::qWaitFor([&] { return tile->getTheServerIsConnected() && tile->getTheEnabledButtonsFlag(); },
                         10000))
        return nullptr;
    return tile;
}

// The plant window on loopback, first use done, showing plant (only "LOCAL" scans).
template <typename Window> void startOnLoopback(Window& w, const QString& plant)
{
    w.CompleteFirstUse("lo", "127.0.0.1",
                       plant == "LOCAL" ? QStringList{"LOCAL"} : QStringList{"LOCAL", plant}, plant);
}

// Adds one of plantsim's boards to the plant window's shown plant.
template <typename Window>
void addBoard(Window& w, PlantSimProcess& sim, const QString& id, const QString& name,
              const QString& version = "1.5.0", bool zeta = false, bool stringBox = false)
{
    w.AddEquipment("127.0.0.1", name, version, sim.board(id).modbus, 21, zeta, stringBox, false,
                   "NO_DNS_NAME", w.plantName());
}

// Enters an equipment through the plant window's manual entry dialog (the
// test includes dialogaddmanually.h) and runs one supervision cycle; returns
// the number of tiles then.
template <typename Window>
int addByHand(Window& w, const QString& ip, const QString& port, const QString& name = {}, bool tpx = false)
{
    QMetaObject::invokeMethod(&w, "on_ButtonAdd_clicked");
    auto* d = w.addManuallyDialog();
    d->template findChild<QLineEdit*>("theIp")->setText(ip);
    d->template findChild<QLineEdit*>("thePort")->setText(port);
    d->template findChild<QLineEdit*>("theFtpPort")->setText("21");
    d->template findChild<QLineEdit*>("theName")->setText(name);
    if (tpx != d->template findChild<QCheckBox*>("IsTPX")->isChecked())
        d->template findChild<QCheckBox*>("IsTPX")->click();
    d->ChkTimeout();
    d->on_ButtonAdd_clicked();
    w.BackgroundActivity();
    return w.tiles().size();
}

// True once the window shows count tiles, all connected.
template <typename Window> bool tilesConnected(const Window& w, int count)
{
    return w.tiles().size() == count && std::all_of(w.tiles().begin(), w.tiles().end(), [](InvButton* t) {
               return t->getTheServerIsConnected();
           });
}

// A value of the console's settings file (the test's main names the application as the console does).
inline QString storedSetting(const char* key)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                     QCoreApplication::applicationName())
        .value(key)
        .toString();
}

// The element of a stored plant list that belongs to the equipment's key, empty when not stored.
inline QString storedElement(const char* list, const QString& equipmentKey)
{
    const int i = storedSetting("/app/Inverters/InvList").split(',').indexOf(equipmentKey);
    return i < 0 ? QString() : storedSetting(list).split(',').value(i);
}

// Stores the six plant lists for equipments named Inv0, Inv1... under the given keys.
inline void storeEquipments(const QStringList& keys)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, appinfo::SettingsOrganisation,
                QCoreApplication::applicationName());
    QString names, dns, vers, ports, ftp;
    for (int i = 0; i < keys.size(); ++i) {
        names += QString("Inv%1,").arg(i), dns += "NO_DNS_NAME,", vers += "1.5.0,", ftp += "21,";
        ports += keys[i].section('-', 1, 1) + ",";
    }
    s.setValue("/app/Inverters/InvList", keys.join(',') + ",");
    s.setValue("/app/Inverters/InvListNames", names);
    s.setValue("/app/Inverters/InvListDnsNames", dns);
    s.setValue("/app/Inverters/InvListVers", vers);
    s.setValue("/app/Inverters/InvListPorts", ports);
    s.setValue("/app/Inverters/InvListFtpPorts", ftp);
}

// The text of a label found by name ("(no name)" when there is none).
inline QString labelText(const QWidget* w, const char* name)
{
    const auto* l = w ? w->findChild<QLabel*>(name) : nullptr;
    return l ? l->text() : QString("(no %1)").arg(name);
}

// Clicks a push button found by name; it must be there and enabled.
inline void click(QWidget* w, const char* name)
{
    auto* b = w ? w->findChild<QPushButton*>(name) : nullptr;
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

// Ticks a check box found by name with a click on its box.
inline void tick(QWidget* w, const char* name)
{
    auto* b = w ? w->findChild<QCheckBox*>(name) : nullptr;
    QVERIFY2(b, name);
    if (!b->isChecked())
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace consoletest
