// The parameter block and the texts around it, without widgets. The Apply
// button's state is tested through the dialog (tst_dialogsetup).
// The writes handed to the link per board generation: tst_e2e_commands.
#include "parameterblock.h"
#include "registerblocks.h"

#include <QtTest>

using namespace parameterblock;

namespace {
// A form with one box checked and its field's text.
Form oneBox(Word w, const QString& text)
{
    static const QMap<int, std::pair<bool Form::*, QString Form::*>> boxes = {
        {PowerWord, {&Form::power, &Form::powerText}},
        {ReactiveWord, {&Form::reactive, &Form::reactiveText}},
        {CosPhiWord, {&Form::cosPhi, &Form::cosPhiText}},
        {CommandWord, {&Form::command, &Form::commandText}},
        {RampUpWord, {&Form::rampUp, &Form::rampUpText}},
        {BatteryWord, {&Form::battery, &Form::batteryText}}};
    Form f;
    f.*boxes[w].first = true;
    f.*boxes[w].second = text;
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
        QTest::newRow("cos(phi) -0.99") << int(CosPhiWord) << "-0.99" << 0x0004 << 1;
        QTest::newRow("power empty") << int(PowerWord) << "" << 0x0001 << 0;
        QTest::newRow("power 150 held to 100") << int(PowerWord) << "150" << 0x0001 << 100;
        QTest::newRow("reactive -100") << int(ReactiveWord) << "-100" << 0x0002 << 0;
        QTest::newRow("reactive -") << int(ReactiveWord) << "-" << 0x0002 << 100;
        QTest::newRow("command 9 held to 2") << int(CommandWord) << "9" << 0x0008 << 2;
        QTest::newRow("ramp up 0 held to 1") << int(RampUpWord) << "0" << 0x0010 << 1;
        QTest::newRow("battery -30") << int(BatteryWord) << "-30" << 0x0040 << 70;
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
        const Block expected = {0x005F, 100, 100, 200, 1, 50, 0xFFFF, 200};
        QCOMPARE(encode(all), expected);
    }

    // The small rules and texts: cos(phi) bounds, read-back and status
    // texts, the power box from the mask, the plant summary, port fields.
    void rules_data()
    {
        QTest::addColumn<QVariant>("got");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* name, const QVariant& got, const QVariant& expected) {
            QTest::newRow(name) << got << expected;
        };
        const QPair<double, bool> cosPhi[] = {{0.69, false}, {0.7, true}, {-0.7, true}, {-1.0, false}};
        for (const auto& c : cosPhi)
            row(qPrintable(QString("cos(phi) %1").arg(c.first)), cosPhiValid(c.first), c.second);
        row("read back cos(phi) 195", cosPhiReadBack(195), "0.95");
        row("read back cos(phi) not set", cosPhiReadBack(0xFFFF), "---");
        row("read back power not set", powerReadBack(0xFFFF), "---");
        row("read back reactive 50", reactiveReadBack(50), "-50%");
        row("read back reactive not set", reactiveReadBack(0xFFFF), "---");
        row("power box, power and cos(phi)", powerBoxFromMask(0x0005), true);
        row("power box, cos(phi) only", powerBoxFromMask(0x0004), false);
        row("power box, never written", powerBoxFromMask(0xFFFF), false);
        row("result 0x0F32", registerblocks::resultCodeFromWord(0x0F32), 2);
        row("result 0x0034, not in the table", registerblocks::resultCodeFromWord(0x0034), -1);
        row("result 0x320F, bytes swapped", registerblocks::resultCodeFromWord(0x320F), -1);
        row("status 2", statusText(2), "Command Ok.");
        row("status 8, past the table", statusText(8), "---");
        row("status unknown", statusText(-1), "---");
        row("plant, nothing ok", plantSendText({int(NoAnswer), int(NoAnswer)}),
            "Command Ok. on 0 of 2 (2 no answer)");
        row("plant, every other kind", plantSendText({7, 4, 5, 6, int(UnknownResult), int(ModbusError), 2}),
            "Command Ok. on 1 of 7 (1 forced locally, 1 local mode, 1 not managed, 1 still working, "
            "1 unknown result, 1 Modbus error)");
        row("plant, a code that ends nothing", plantSendText({2, 3}),
            "Command Ok. on 1 of 2 (1 unknown result)");
        row("plant, no equipment", plantSendText({}), "No equipment to send to.");
        row("port blanks", portFromText(" 1502 "), 1502);
        row("port highest", portFromText("65535"), 65535);
        row("port lowest", portFromText("1"), 1);
        for (const char* bad : {"0", "65536", "+21", "ftp", "\u0665\u0660\u0662", "99999999999999999999", ""})
            row(qPrintable(QString("port refused: ") + bad), portFromText(bad), 0);
    }
    void rules()
    {
        QFETCH(QVariant, got);
        QTEST(got, "expected");
    }
};

QTEST_GUILESS_MAIN(TestParameterBlock)
#include "tst_parameterblock.moc"
