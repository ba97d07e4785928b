// The checks of typed and received addresses and ports.
#include "addressvalidation.h"

#include <QtTest>

namespace av = addressvalidation;

class TestAddressValidation : public QObject
{
    Q_OBJECT
private slots:
    void validation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isPort");
        QTest::addColumn<bool>("valid");
        const auto rows = [](bool isPort, bool valid, std::initializer_list<const char*> texts) {
            for (const char* t : texts)
                QTest::addRow("%s %s", isPort ? "port" : "address", t) << QString(t) << isPort << valid;
        };
        rows(false, true, {"192.168.1.1"});
        rows(false, false, {"192.168.1", "192.168.1.1.1", "192..1.1", "192.168.1.256", "1abc"});
        rows(true, true, {"1", "65534"});
        rows(true, false, {"0", "65535", "abc"});
    }
    void validation()
    {
        QFETCH(QString, text);
        QFETCH(bool, isPort);
        QTEST(isPort ? av::isValidPort(av::parsePort(text)) : av::isValidIpv4(text), "valid");
    }
};

QTEST_GUILESS_MAIN(TestAddressValidation)
#include "tst_addressvalidation.moc"
