// The parameter block and the texts around it, without widgets: the form's
// encoding, the cos(phi) rule, the read-back texts, result words to status
// texts, the Zeta rule, the plant-wide summary and the port fields. The
// Apply button's state is tested through the dialog (tst_dialogsetup).
#include "parameterblock.h"
#include "registerblocks.h"

#include <QtTest>

using namespace parameterblock;

namespace {
// A form with one box checked and its field's text.
Form oneBox(Word w, const QString& text)
{
    Form f;
    switch (w) {
    case PowerWord:
        f.power = true;
        f.powerText = text;
        break;
    case ReactiveWord:
        f.reactive = true;
        f.reactiveText = text;
        break;
    case CosPhiWord:
        f.cosPhi = true;
        f.cosPhiText = text;
        break;
    case CommandWord:
        f.command = true;
        f.commandText = text;
        break;
    case RampUpWord:
        f.rampUp = true;
        f.rampUpText = text;
        break;
    case BatteryWord:
        f.battery = true;
        f.batteryText = text;
        break;
    default:
        break;
    }
    return f;
}
} // namespace

class TestParameterBlock : public QObject
{
    Q_OBJECT
private slots:
    // One box checked: its mask bit and its word; every other word 0xFFFF.
    void encodeOneBox_data()
    {
        QTest::addColumn<int>("box"); // the word the box enables
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("word");
        QTest::newRow("cos(phi) 0,95 with a comma") << int(CosPhiWord) << "0,95" << 0x0004 << 195;
        QTest::newRow("cos(phi) -0.7") << int(CosPhiWord) << "-0.70" << 0x0004 << 30;
        QTest::newRow("cos(phi) 1.0") << int(CosPhiWord) << "1.00" << 0x0004 << 200;
        QTest::newRow("cos(phi) -0.99") << int(CosPhiWord) << "-0.99" << 0x0004 << 1;
        QTest::newRow("power 80") << int(PowerWord) << "80" << 0x0001 << 80;
        QTest::newRow("power empty") << int(PowerWord) << "" << 0x0001 << 0;
        QTest::newRow("power 150 held to 100") << int(PowerWord) << "150" << 0x0001 << 100;
        QTest::newRow("reactive -100") << int(ReactiveWord) << "-100" << 0x0002 << 0;
        QTest::newRow("reactive 40") << int(ReactiveWord) << "40" << 0x0002 << 140;
        QTest::newRow("reactive empty") << int(ReactiveWord) << "" << 0x0002 << 100;
        QTest::newRow("reactive -") << int(ReactiveWord) << "-" << 0x0002 << 100;
        QTest::newRow("command on") << int(CommandWord) << "2" << 0x0008 << 2;
        QTest::newRow("command empty") << int(CommandWord) << "" << 0x0008 << 0;
        QTest::newRow("command 9 held to 2") << int(CommandWord) << "9" << 0x0008 << 2;
        QTest::newRow("ramp up 250") << int(RampUpWord) << "250" << 0x0010 << 250;
        QTest::newRow("ramp up 0 held to 1") << int(RampUpWord) << "0" << 0x0010 << 1;
        QTest::newRow("battery 100") << int(BatteryWord) << "100" << 0x0040 << 200;
        QTest::newRow("battery -30") << int(BatteryWord) << "-30" << 0x0040 << 70;
        QTest::newRow("battery empty") << int(BatteryWord) << "" << 0x0040 << 100;
    }
    void encodeOneBox()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(int, word);
        const Block b = encode(oneBox(Word(box), text));
        QTEST(int(b[MaskWord]), "mask");
        for (int i = 1; i < Words; ++i)
            QCOMPARE(int(b[i]), i == box ? word : 0xFFFF);
    }

    void encodeEveryBox()
    {
        Form all; // every box with the form's initial texts
        all.power = all.reactive = all.cosPhi = all.command = all.rampUp = all.battery = true;
        const Block b = encode(all);
        const Block expected = {0x005F, 100, 100, 200, 1, 50, 0xFFFF, 200};
        QCOMPARE(b, expected);
    }

    void cosPhiRule_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0.5") << 0.5 << false;
        QTest::newRow("0.69") << 0.69 << false;
        QTest::newRow("0.7") << 0.7 << true;
        QTest::newRow("1.0") << 1.0 << true;
        QTest::newRow("-0.7") << -0.7 << true;
        QTest::newRow("-0.69") << -0.69 << false;
        QTest::newRow("-0.99") << -0.99 << true;
        QTest::newRow("-1.0") << -1.0 << false;
        QTest::newRow("0") << 0.0 << false;
    }
    void cosPhiRule()
    {
        QFETCH(double, value);
        QTEST(cosPhiValid(value), "valid");
    }

    void readBackTexts_data()
    {
        QTest::addColumn<int>("word"); // index in the block
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("cos(phi) 195") << int(CosPhiWord) << 195 << "0.95";
        QTest::newRow("cos(phi) 30") << int(CosPhiWord) << 30 << "-0.7";
        QTest::newRow("cos(phi) not set") << int(CosPhiWord) << 0xFFFF << "---";
        QTest::newRow("power not set") << int(PowerWord) << 0xFFFF << "---";
        QTest::newRow("reactive 50") << int(ReactiveWord) << 50 << "-50%";
        QTest::newRow("reactive 200") << int(ReactiveWord) << 200 << "100%";
        QTest::newRow("reactive not set") << int(ReactiveWord) << 0xFFFF << "---";
    }
    void readBackTexts()
    {
        QFETCH(int, word);
        QFETCH(int, value);
        const quint16 v = quint16(value);
        const QString text = word == PowerWord      ? powerReadBack(v)
                             : word == ReactiveWord ? reactiveReadBack(v)
                                                    : cosPhiReadBack(v);
        QTEST(text, "text");
    }

    void powerBoxFromTheMask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("checked");
        QTest::newRow("power set") << 0x0001 << true;
        QTest::newRow("power and cos(phi)") << 0x0005 << true;
        QTest::newRow("cos(phi) only") << 0x0004 << false;
        QTest::newRow("nothing") << 0x0000 << false;
        QTest::newRow("never written") << 0xFFFF << false;
    }
    void powerBoxFromTheMask()
    {
        QFETCH(int, mask);
        QTEST(powerBoxFromMask(quint16(mask)), "checked");
    }

    // Result words to status codes and texts (-1: a code given directly).
    // Each word of the result table through a board: tst_e2e_commands.
    void statusTexts_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0x0F32") << 0x0F32 << 2 << "Command Ok.";
        QTest::newRow("0x0034, not in the table") << 0x0034 << -1 << "---";
        QTest::newRow("0x320F, bytes swapped") << 0x320F << -1 << "---";
        QTest::newRow("code 0") << -1 << 0 << "Verifying...";
        QTest::newRow("code 3") << -1 << 3 << "Sending...";
        QTest::newRow("code 8, past the table") << -1 << 8 << "---";
    }
    void statusTexts()
    {
        QFETCH(int, word);
        QFETCH(int, code);
        if (word >= 0)
            QCOMPARE(registerblocks::resultCodeFromWord(quint16(word)), code);
        QTEST(statusText(code), "text");
    }

    // The words handed to the link: seven below 1.5.0, eight from it, the
    // eighth of a Zeta board not being set.
    void writeBlockWords_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<bool>("longParameters");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("eighth");
        QTest::newRow("inverter 1.5.0") << false << true << 8 << 0xC800;
        QTest::newRow("inverter 1.4.0") << false << false << 7 << 0x1234;
        QTest::newRow("zeta 1.5.0") << true << true << 8 << 0xFFFF;
        QTest::newRow("zeta 1.4.0") << true << false << 7 << 0x1234;
    }
    void writeBlockWords()
    {
        QFETCH(bool, zeta);
        QFETCH(bool, longParameters);
        QFETCH(int, eighth);
        const quint16 wire[Words] = {0x4500, 0x5000, 0xFFFF, 0xC300, 0xFFFF, 0xFFFF, 0xFFFF, 0xC800};
        quint16 out[Words];
        std::fill(out, out + Words, 0x1234);
        QTEST(writeBlock(wire, zeta, longParameters, out), "words");
        for (int i = 0; i < Words - 1; ++i)
            QCOMPARE(out[i], wire[i]);
        QCOMPARE(int(out[Words - 1]), eighth);
    }

    void plantSend_data()
    {
        QTest::addColumn<QVector<int>>("outcomes");
        QTest::addColumn<QString>("text");
        QTest::newRow("one error, one silent")
            << QVector<int>{2, 1, 2, int(NoAnswer), 2} << "Command Ok. on 3 of 5 (1 Error, 1 no answer)";
        QTest::newRow("nothing ok") << QVector<int>{int(NoAnswer), int(NoAnswer)}
                                    << "Command Ok. on 0 of 2 (2 no answer)";
        QTest::newRow("every other kind")
            << QVector<int>{7, 4, 5, 6, int(UnknownResult), int(ModbusError), 2}
            << "Command Ok. on 1 of 7 (1 forced locally, 1 local mode, 1 not managed, 1 still working, "
               "1 unknown result, 1 Modbus error)";
        QTest::newRow("a code that ends nothing")
            << QVector<int>{2, 3} << "Command Ok. on 1 of 2 (1 unknown result)";
        QTest::newRow("no equipment") << QVector<int>{} << "No equipment to send to.";
    }
    void plantSend()
    {
        QFETCH(QVector<int>, outcomes);
        QTEST(plantSendText(outcomes), "text");
    }

    void ports_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("502") << "502" << 502;
        QTest::newRow("blanks") << " 1502 " << 1502;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("lowest") << "1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("too high") << "65536" << 0;
        QTest::newRow("negative") << "-21" << 0;
        QTest::newRow("sign") << "+21" << 0;
        QTest::newRow("letters") << "ftp" << 0;
        QTest::newRow("decimal point") << "21.5" << 0;
        QTest::newRow("other digits") << QString::fromUtf8("\u0665\u0660\u0662") << 0;
        QTest::newRow("huge") << "99999999999999999999" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void ports()
    {
        QFETCH(QString, text);
        QTEST(portFromText(text), "port");
    }
};

QTEST_GUILESS_MAIN(TestParameterBlock)
#include "tst_parameterblock.moc"
