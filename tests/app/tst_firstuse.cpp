// First-use dialog and the new-plant dialog.
#include "dialogfirstuse.h"
#include "dialogplantchoose.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestFirstUse : public QObject
{
    Q_OBJECT
    static QStringList items(QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    static void enter(DialogPlantChoose* d, const QString& name, const char* button = "ButtonCheck")
    {
        d->findChild<QLineEdit*>("PlantName")->setText(name);
        QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
    }

private slots:
    void newPlant_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: accepted
        const auto row = [](const char* tag, const char* name, const char* message) {
            QTest::newRow(tag) << QString(name) << QString(message);
        };
        row("plain", "North Farm", "");
        row("dash breaks keys", "Farm-2", "Invalid plant name");
        row("LOCAL", "LOCAL", "Invalid Plant");
        row("empty", "", "Invalid Plant");
        row("repeats a plant", "Farm", "Invalid plant name");
    }
    void newPlant()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        DialogFirstUse d;
        d.setThePlantList({"LOCAL", "Farm"});
        auto* plants = d.findChild<QComboBox*>("ComboInterfacePlant");
        plants->setCurrentIndex(2); // "Add..."
        DialogPlantChoose* chooser = d.getThePlantChooser();
        QVERIFY(chooser);
        if (message.isEmpty())
            testsupport::saveGrab(chooser, "plant-name-dialog");
        enter(chooser, name);
        d.ActivityCheck();
        if (message.isEmpty()) {
            QVERIFY(!d.getThePlantChooser());
            QCOMPARE(items(plants), (QStringList{"LOCAL", "Farm", name, "Add..."}));
            QCOMPARE(d.getTheChosenPlant(), name);
            QCOMPARE(d.getThePlantList(), (QStringList{"LOCAL", "Farm", name}));
        } else {
            QCOMPARE(d.getThePlantChooser(), chooser);
            QCOMPARE(chooser->getMessage(), message);
            QVERIFY(chooser->warningShown());
            QCOMPARE(d.getThePlantList(), (QStringList{"LOCAL", "Farm"}));
        }
    }

    void cancelKeepsTheListAndAddIsNoPlant()
    {
        DialogFirstUse d;
        d.setThePlantList({"LOCAL"});
        auto* plants = d.findChild<QComboBox*>("ComboInterfacePlant");
        plants->setCurrentIndex(1);
        enter(d.getThePlantChooser(), "x", "ButtonCancel");
        d.ActivityCheck();
        QVERIFY(!d.getThePlantChooser());
        QCOMPARE(items(plants), (QStringList{"LOCAL", "Add..."}));
        const QSignalBlocker block(plants);
        plants->setCurrentIndex(1);
        d.on_pushButtonApplyConfig_clicked();
        QVERIFY(!d.getDone());
    }
};

QTEST_MAIN(TestFirstUse)
#include "tst_firstuse.moc"
