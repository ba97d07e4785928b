// Modbus TCP frames of the link: requests byte for byte and the reply checks.
#include "modbusframes.h"

#include <QtTest>

using namespace modbusframes;

class TestModbusFrames : public QObject
{
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("identity read") << readRequest(79, 32) << QByteArray("000100000006ff03004f0020");
        QTest::newRow("daily values read") << readRequest(500, 204) << QByteArray("000100000006ff0301f400cc");
        QTest::newRow("single write")
            << writeSingleRequest(112, 50) << QByteArray("000100000006ff0600700032");
        const unsigned char wire[4] = {0xAB, 0xCD, 0x01, 0x02};
        QTest::newRow("single write as stored")
            << writeSingleRawRequest(141, wire) << QByteArray("000100000006ff06008dabcd");
        QTest::newRow("multiple write")
            << writeMultipleRequest(140, wire, 2) << QByteArray("00010000000bff10008c000204abcd0102");
        // 5 March 2026, 14:03:09: each value in the low byte, the year less 2000.
        QTest::newRow("time sync") << timeSyncRequest(QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9)))
                                   << QByteArray("000100000013ff1000a000060c001a00030005000e00030009");
        QTest::newRow("time sync before 2001")
            << timeSyncRequest(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 0)))
            << QByteArray("000100000013ff1000a000060c00cf000c001f0017003b0000");
    }
    void requests()
    {
        QFETCH(QByteArray, frame);
        QTEST(frame.toHex(), "hex");
    }

    void exception_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("exception");
        QTest::newRow("read") << QByteArray::fromHex("000100000005ff03020001") << false;
        QTest::newRow("read refused") << QByteArray::fromHex("000100000003ff8304") << true;
        QTest::newRow("write refused") << QByteArray::fromHex("000100000003ff9002") << true;
    }
    void exception()
    {
        QFETCH(QByteArray, reply);
        QTEST(isExceptionReply(reinterpret_cast<const unsigned char*>(reply.constData())), "exception");
    }
};

QTEST_APPLESS_MAIN(TestModbusFrames)
#include "tst_modbusframes.moc"
