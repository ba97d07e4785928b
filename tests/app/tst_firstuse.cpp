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

private slots:
    void plantNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "Home" << true;
        QTest::newRow("blank inside") << "North Farm" << true;
        QTest::newRow("dot") << "Farm.2" << false;
        QTest::newRow("underscore") << "my_farm" << false;
        QTest::newRow("accent") << QString::fromUtf8("Città") << false;
        QTest::newRow("dash breaks keys") << "Farm-2" << false;
        QTest::newRow("comma breaks lists") << "a,b" << false;
    }
    void plantNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        DialogPlantChoose d;
        d.findChild<QLineEdit*>("PlantName")->setText(name);
        QTest::mouseClick(d.findChild<QPushButton*>("ButtonCheck"), Qt::LeftButton);
        QCOMPARE(d.getDone(), accepted);
        QCOMPARE(d.warningShown(), !accepted);
        if (!accepted) {
            QCOMPARE(d.getMessage(), QString("Invalid plant name"));
            // Typing again hides the warning.
            d.findChild<QLineEdit*>("PlantName")->setText(name + "x");
            QVERIFY(!d.warningShown());
        } else {
            QCOMPARE(d.getName(), name);
        }
    }

    void newPlantJoinsTheListBeforeAdd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("new") << "Home" << QString();
        QTest::newRow("LOCAL") << "LOCAL"
                               << "Invalid Plant";
        QTest::newRow("empty") << ""
                               << "Invalid Plant";
        QTest::newRow("repeats a plant") << "Farm"
                                         << "Invalid plant name";
    }
    void newPlantJoinsTheListBeforeAdd()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        DialogFirstUse d;
        d.setThePlantList({"LOCAL", "Farm"});
        auto* plants = d.findChild<QComboBox*>("ComboInterfacePlant");
        QCOMPARE(items(plants), (QStringList{"LOCAL", "Farm", "Add..."}));
        QCOMPARE(d.getTheChosenPlant(), QString("LOCAL"));
        plants->setCurrentIndex(2);
        QVERIFY(d.getThePlantChooser());
        DialogPlantChoose* chooser = d.getThePlantChooser();
        chooser->findChild<QLineEdit*>("PlantName")->setText(name);
        QTest::mouseClick(chooser->findChild<QPushButton*>("ButtonCheck"), Qt::LeftButton);
        QVERIFY(chooser->getDone());
        d.ActivityCheck();
        if (message.isEmpty()) {
            QVERIFY(!d.getThePlantChooser());
            QCOMPARE(items(plants), (QStringList{"LOCAL", "Farm", name, "Add..."}));
            QCOMPARE(plants->currentText(), name);
            QCOMPARE(d.getThePlantList(), (QStringList{"LOCAL", "Farm", name}));
            QCOMPARE(d.getTheChosenPlant(), name);
        } else {
            QCOMPARE(d.getThePlantChooser(), chooser);
            QCOMPARE(chooser->getMessage(), message);
            QVERIFY(!chooser->getDone());
            QCOMPARE(d.getThePlantList(), (QStringList{"LOCAL", "Farm"}));
        }
    }

    void cancellingTheNewPlantKeepsTheList()
    {
        DialogFirstUse d;
        d.setThePlantList({"LOCAL"});
        auto* plants = d.findChild<QComboBox*>("ComboInterfacePlant");
        plants->setCurrentIndex(1);
        QTest::mouseClick(d.getThePlantChooser()->findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        d.ActivityCheck();
        QVERIFY(!d.getThePlantChooser());
        QCOMPARE(items(plants), (QStringList{"LOCAL", "Add..."}));
    }

    void applyingOnAddDoesNothing()
    {
        DialogFirstUse d;
        d.setThePlantList({"LOCAL"});
        {
            const QSignalBlocker block(d.findChild<QComboBox*>("ComboInterfacePlant"));
            d.findChild<QComboBox*>("ComboInterfacePlant")->setCurrentIndex(1);
        }
        d.on_pushButtonApplyConfig_clicked();
        QVERIFY(!d.getDone());
    }

    void interfaceItems()
    {
        const QString item = DialogFirstUse::InterfaceItemText("10.1.2.3", "eth0");
        QCOMPARE(item, QString("10.1.2.3 [eth0]"));
        QCOMPARE(DialogFirstUse::LocalAddressOf(item), QString("10.1.2.3 "));
        // No loopback address is ever offered.
        DialogFirstUse d;
        const QStringList offered = items(d.findChild<QComboBox*>("ComboInterface"));
        for (const QString& s : offered)
            QVERIFY2(!s.startsWith("127."), qPrintable(s));
    }
};

QTEST_MAIN(TestFirstUse)
#include "tst_firstuse.moc"
