#pragma once
// Shared by the plant window's tests: settings in a sandbox for each test, and
// only loopback around, as the plant "LOCAL" broadcasts.
#include "consoletest.h"
#include "dialogaddmanually.h"
#include "maindialog.h"

using namespace consoletest;

class MainDialogTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<testsupport::SandboxSettings> sandbox;

private slots:
    void initTestCase()
    {
        QVERIFY2(testsupport::unexpectedInterface().isEmpty(), "run through scripts/in-empty-netns.sh");
    }
    void init() { sandbox = std::make_unique<testsupport::SandboxSettings>(); }
};

inline void addInverter(MainDialog& w, const QString& ip, const QString& plant, bool tpx = false,
                        const QString& name = "Inv")
{
    w.AddEquipment(ip, name, "1.5.0", 502, 21, false, false, tpx, "NO_DNS_NAME", plant);
}
