// The checks of typed and received addresses and ports.
#include "addressvalidation.h"

#include <QtTest>

namespace av = addressvalidation;

class TestAddressValidation : public QObject
{
    Q_OBJECT
private slots:
    void validation()
    {
        QVERIFY(av::isValidIpv4("192.168.1.1"));
        for (const char* text : {"192.168.1", "192.168.1.1.1", "192.168.1.256", "1abc", ""})
            QVERIFY2(!av::isValidIpv4(text), text);
        for (const char* text : {"1", "65534"})
            QVERIFY2(av::isValidPort(av::parsePort(text)), text);
        for (const char* text : {"0", "65535", "abc"})
            QVERIFY2(!av::isValidPort(av::parsePort(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestAddressValidation)
#include "tst_addressvalidation.moc"
