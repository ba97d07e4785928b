#include "addressvalidation.h"

#include <QtTest>

namespace av = addressvalidation;
Q_DECLARE_METATYPE(addressvalidation::AddressKind)

class TestAddressValidation : public QObject
{
    Q_OBJECT
private slots:
    void address_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<av::AddressKind>("kind");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("canonical");
        const auto ipv4 = av::AddressKind::Ipv4;
        QTest::newRow("valid") << "192.168.1.1" << ipv4 << true << "192.168.1.1";
        QTest::newRow("bounds") << "0.0.0.255" << ipv4 << true << "0.0.0.255";
        QTest::newRow("leading zeros") << "192.168.001.010" << ipv4 << true << "192.168.1.10";
        QTest::newRow("three parts") << "192.168.1" << ipv4 << false << "";
        QTest::newRow("five parts") << "192.168.1.1.1" << ipv4 << false << "";
        QTest::newRow("empty part") << "192..1.1" << ipv4 << false << "";
        QTest::newRow("trailing dot") << "192.168.1.1." << ipv4 << false << "";
        QTest::newRow("above 255") << "192.168.1.256" << ipv4 << false << "";
        QTest::newRow("digit first name") << "1abc" << ipv4 << false << "";
        QTest::newRow("letters in part") << "1.2.3.4a" << ipv4 << false << "";
        QTest::newRow("sign") << "+1.2.3.4" << ipv4 << false << "";
        QTest::newRow("dash") << "1-2.3.4" << ipv4 << false << "";
        QTest::newRow("huge part") << "1.2.3.99999999999999999999" << ipv4 << false << "";
        QTest::newRow("empty") << "" << av::AddressKind::Empty << false << "";
        QTest::newRow("host name") << "inverter" << av::AddressKind::HostName << false << "";
        QTest::newRow("unicode letter")
            << QString::fromUtf8("éa.local") << av::AddressKind::HostName << false << "";
    }
    void address()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, canonical);
        QTEST(av::classify(text), "kind");
        QString out = "untouched";
        QCOMPARE(av::isValidIpv4(text, &out), valid);
        QCOMPARE(out, valid ? canonical : QString("untouched"));
    }

    void hostName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain") << "localhost" << true;
        QTest::newRow("dotted") << "inv.example" << true;
        QTest::newRow("dash") << "my-inverter" << false;
        QTest::newRow("comma") << "a,b" << false;
        QTest::newRow("digit first") << "1abc" << false;
        QTest::newRow("empty") << "" << false;
    }
    void hostName()
    {
        QFETCH(QString, text);
        QTEST(av::isUsableHostName(text), "usable");
    }

    void port_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0") << "0" << 0 << false;
        QTest::newRow("1") << "1" << 1 << true;
        QTest::newRow("65534") << "65534" << 65534 << true;
        QTest::newRow("65535") << "65535" << 65535 << false;
        QTest::newRow("abc") << "abc" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("negative") << "-5" << 0 << false;
        QTest::newRow("overflow") << "99999999999" << 0 << false;
    }
    void port()
    {
        QFETCH(QString, text);
        QTEST(av::parsePort(text), "value");
        QTEST(av::isValidPort(av::parsePort(text)), "valid");
    }

    void listText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "Roof"
                               << "Roof";
        QTest::newRow("comma") << "a,b,"
                               << "a b ";
        QTest::newRow("empty") << ""
                               << "????";
    }
    void listText()
    {
        QFETCH(QString, text);
        QTEST(av::storableListText(text, av::UnnamedEquipment), "stored");
    }
};

QTEST_GUILESS_MAIN(TestAddressValidation)
#include "tst_addressvalidation.moc"
