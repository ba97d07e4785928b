// The TPX measures window's texts: units, decimals and signs, from blocks
// built out of the bytes a board sends; one row per quantity (the phases of
// a quantity share its rule).
#include "dialogtpxmeasurestexts.h"
#include "tpxtestblocks.h"

#include <QtTest>

class TestDialogTpxMeasuresTexts : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<int>("word");   // block B word
        QTest::addColumn<int>("value");  // as the board sends it
        QTest::addColumn<quint16>("a0"); // block A word 0
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int word, int value, quint16 a0, const char* label,
                            const char* expected) {
            QTest::newRow(name) << word << value << a0 << QString(label) << QString(expected);
        };
        row("voltages are unsigned", 0, 40000, 0, "inputV_1", "40000V");
        row("input current L3", 5, 125, 0, "inputA_3", "12.50A");
        row("input frequency", 6, 500, 0, "inputF", "50.00Hz");
        row("bypass voltage L1", 10, 229, 0, "inputBV_1", "229V");
        row("bypass frequency", 13, 499, 0, "BypF", "49.90Hz");
        row("output voltage L3", 16, 230, 0, "outputV_3", "230V");
        row("output peak current L2", 24, 1234, 0, "outputPA_2", "123.40A");
        row("output currents are unsigned", 22, 0xFFF6, 0, "outputA_3", "6552.60A");
        row("load L1 negative", 26, 0xFFF6, 0, "Load_1", "(-10%)");
        row("active power L2 negative", 30, 0xFF85, 0, "outputAP_2", "-12.30KW");
        row("output frequency", 32, 501, 0, "OutF", "50.10Hz");
        row("battery voltage", 36, 5432, 0, "BattV", "543.20V");
        row("battery charging", 39, 125, 0, "BattA", "12.50A");
        row("battery discharging", 39, 125, 1 << 6, "BattA", "-12.50A");
        row("load on bypass is not discharging", 39, 125, 1 << 11, "BattA", "12.50A");
        row("battery capacity", 40, 80, 0, "BattC", "80%");
        row("battery autonomy", 42, 35, 0, "BattT", "35%");
        row("environment temperature", 50, 25, 0, "UPS_T", "25C");
        row("inverter temperature", 51, 41, 0, "SensT_1", "41C");
        row("rectifier temperature below zero", 52, 0xFFFB, 0, "SensT_2", "-5C");
    }
    void texts()
    {
        QFETCH(int, word);
        QFETCH(int, value);
        QFETCH(quint16, a0);
        QFETCH(QString, label);
        TpxTestBlocks blocks;
        blocks.setA(0, a0);
        blocks.setB({{word, quint16(value)}});
        const QMap<QString, QString> t = TpxMeasuresTexts::texts(blocks.blockA(), blocks.blockB());
        QVERIFY2(t.contains(label), qPrintable(label));
        QTEST(t.value(label), "expected");
    }
};

QTEST_APPLESS_MAIN(TestDialogTpxMeasuresTexts)
#include "tst_dialogtpxmeasurestexts.moc"
