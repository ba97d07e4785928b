// The measures window fed the way its owner feeds it, with blocks built from
// the bytes of a board's replies: the identity once per window, the fed
// flag, the copies, the single-phase overwrite, the refresh every second,
// the house rows, the image and closing. The formulas: tst_measurestexts.
#include "measures.h"
#include "registerreply.h"
#include "testsupport.h"

#include <QLabel>
#include <QMutexLocker>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {
using testsupport::labelText;
using Texts = QMap<QString, QString>; // label -> text
const quint16 Meter = registerblocks::StatusSelfConsumption;

// The blocks of one equipment, as its tile holds them after its replies:
// identity registers 79 on (phase word, then the nominal power as six
// characters), measures, status registers 6 to 8, house load.
struct Board
{
    EquipmentRecords rec;
    Board(char phase, const QByteArray& power6, const QMap<int, int>& measures, quint16 status2,
          QVector<quint16> house)
    {
        QVector<quint16> identity(registerblocks::IdentityBytes / 2, 0);
        identity[0] = quint8(phase);
        for (int i = 0; i < 3; ++i)
            identity[1 + i] = quint16(quint8(power6[2 * i]) << 8 | quint8(power6[2 * i + 1]));
        testsupport::receiveWords(rec, identity);
        rec.storeIdentity();
        testsupport::storeMeasures(rec, measures);
        testsupport::receiveWords(rec, {0, 0, status2});
        rec.storeStatus();
        testsupport::receiveWords(rec, house);
        rec.storeHouseLoad();
    }
};

// The owner's side of the feeding, as an equipment tile runs it after each
// reply of its measures cycle.
class Owner : public QWidget
{
    Q_OBJECT
public:
    QPointer<Measures> window;
    bool identitySent = false;
    int closings = 0;

    Measures* open(const QString& name, double nominal)
    {
        if (!window) {
            window = new Measures(this);
            connect(this, &Owner::IdentUpdated, window, &Measures::IdentUpdates);
            connect(this, &Owner::MeasuresUpdated, window, &Measures::MeasuresUpdates);
            connect(window, &Measures::ChildClosing, this, [this] {
                ++closings;
                window = nullptr;
                identitySent = false;
            });
        }
        window->setTheShowExtended(true);
        window->setTheTitle(name);
        window->setTheInvIsZETA(false);
        window->setTheNominalPower(nominal);
        window->show();
        return window;
    }
    void feed(const Board& b)
    {
        if (!window)
            return;
        window->setTheStatusWords(b.rec.status);
        if (!identitySent) {
            window->setTheIdentity(b.rec.identity);
            identitySent = true;
            emit IdentUpdated();
        }
        emit MeasuresUpdated();
        if (!window->getTheFedFlag()) {
            window = nullptr;
            return;
        }
        QMutexLocker lock(&registerblocks::measuresMutex());
        window->setTheMeasures(b.rec.measures);
        window->setTheHouseLoad(b.rec.houseLoad);
    }

signals:
    void IdentUpdated();
    void MeasuresUpdated();
};

// A 20 kW three-phase inverter at midday with a house meter.
Board threePhase(quint16 status2 = Meter)
{
    return Board('3', "020000", {{1, 6120},  {2, 6085}, {3, 0xFFFF}, {4, 105},   {5, 98},    {6, 0xFFFF},
                                 {7, 178},   {8, 177},  {9, 179},    {10, 2305}, {11, 2298}, {12, 2312},
                                 {13, 5001}, {14, 410}, {15, 409},   {16, 411},  {20, 2},    {21, 5000},
                                 {24, 1},    {31, 25},  {32, 24},    {33, 26}},
                 status2, {12, 8, 15});
}
// A 3 kW single-phase inverter whose board reports inputs 2 and 3.
Board singlePhase()
{
    const QMap<int, int> m = {{1, 3550},  {2, 3400},  {3, 3300}, {4, 62}, {5, 40},     {6, 30}, {7, 96},
                              {10, 2302}, {13, 4998}, {14, 221}, {20, 0}, {21, 48211}, {24, 1}, {31, 0xFFF6}};
    return Board('1', "003000", m, 0, {0xFFFF, 0, 0});
}
} // namespace

class TestMeasures : public QObject
{
    Q_OBJECT
private slots:
    // Fed like a tile feeds it, the window shows a board's values at its next
    // refresh. One phase: inputs 2 and 3 become "---" whatever the board
    // sends, and the three-phase labels keep the form's "--".
    void boards_data()
    {
        QTest::addColumn<bool>("three");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("phases");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<bool>("house");
        QTest::newRow("three phases") << true << "Roof West" << 20000.0 << 3
                                      << Texts{{"theGridV1", "398.6Vrs"},
                                               {"theGridV2", "399.2Vst"},
                                               {"theGridV3", "399.8Vtr"},
                                               {"theGridI3", "17.90A"},
                                               {"theGridFreq", "50.01 Hz"},
                                               {"theVin0", "---"},
                                               {"InstantPower_Label", "Roof West - Power: 12.3KW   "},
                                               {"TotE", "Total Energy = 13607.2 kWh"},
                                               {"thePF", "PF=1.0"},
                                               {"theL_Total", "Tot=      3.5KW"}}
                                      << true;
        QTest::newRow("single phase")
            << false << "Garage" << 3000.0 << 1
            << Texts{{"theGridV1", "230.2V"}, {"theVin2", "355.0V"}, {"theVin1", "---"},
                     {"theVin0", "---"},      {"theIin0", "6.2A"},   {"theIin1", "---"},
                     {"theIin2", "---"},      {"theGridI2", "--"},   {"theGridI3", "--"},
                     {"theGridV2", "--"},     {"theGridV3", "--"},   {"theKVAR", "Q=-0.1KVAR"},
                     {"thePF", "PF=-1.0"}}
            << false;
    }
    void boards()
    {
        QFETCH(bool, three);
        QFETCH(QString, name);
        QFETCH(double, nominal);
        QFETCH(Texts, texts);
        Owner owner;
        Measures* w = owner.open(name, nominal);
        QCOMPARE(w->getTheNumPhases(), 0);
        QVERIFY(!w->getTheFedFlag());
        owner.feed(three ? threePhase() : singlePhase()); // identity first: the overwrite applies at once
        QTEST(w->getTheNumPhases(), "phases");
        QVERIFY(w->getTheFedFlag());
        QTRY_COMPARE(labelText(w, "theGridV1"), texts.value("theGridV1"));
        for (auto it = texts.begin(); it != texts.end(); ++it)
            QCOMPARE(labelText(w, it.key()), it.value());
        for (const char* house : {"theHouse", "theAutocName", "theL_1", "theL_2", "theL_3", "theL_Total"})
            QTEST(w->findChild<QLabel*>(house)->isVisible(), "house");
        QCOMPARE(w->findChild<QLabel*>("theIcon")->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(":/centr.png").toImage());
        testsupport::saveGrab(w, three ? "measures_three_phase" : "measures_single_phase");
    }

    // The identity is handed once per window: a later identity with an
    // unknown phase word keeps the count; a new window gets it again.
    void identityOncePerWindow()
    {
        Owner owner;
        Measures* w = owner.open("Roof West", 20000.0);
        owner.feed(threePhase());
        const Board odd('7', "020000", {}, 0, {0xFFFF, 0, 0});
        w->setTheIdentity(odd.rec.identity);
        w->IdentUpdates();
        QCOMPARE(w->getTheNumPhases(), 3);

        w->close();
        QCOMPARE(owner.closings, 1);
        QVERIFY(!owner.identitySent);
        QVERIFY(owner.window.isNull());
        Measures* again = owner.open("Garage", 3000.0);
        QCOMPARE(again->getTheNumPhases(), 0);
        owner.feed(singlePhase());
        QCOMPARE(again->getTheNumPhases(), 1);
    }

    // A silent meter shows "Timeout" centred in the first row; the other rows
    // keep what they had; rows come back right-aligned once it answers.
    void silentHouseMeter()
    {
        Owner owner;
        Measures* w = owner.open("Roof West", 20000.0);
        owner.feed(threePhase());
        QTRY_COMPARE(labelText(w, "theL_1"), QString("L1 =      1.2KW"));
        owner.feed(threePhase(Meter | registerblocks::StatusMeterSilent));
        QTRY_COMPARE(labelText(w, "theL_1"), QString("Timeout"));
        QLabel* first = w->findChild<QLabel*>("theL_1");
        QCOMPARE(first->alignment(), Qt::AlignCenter);
        QVERIFY(first->isVisible());
        QCOMPARE(labelText(w, "theL_2"), QString("L2 =      0.8KW"));
        testsupport::saveGrab(w, "measures_meter_timeout");
        owner.feed(threePhase());
        QTRY_COMPARE(labelText(w, "theL_1"), QString("L1 =      1.2KW"));
        QCOMPARE(first->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    }

    // The image follows the kind and the nominal power, whichever is set first.
    void imageFollowsKindAndPower()
    {
        Measures w;
        w.setTheNominalPower(250000.0);
        QCOMPARE(w.getTheImage(), QString(":/centr2.png"));
        w.setTheInvIsZETA(true);
        QCOMPARE(w.getTheImage(), QString(":/ZETA.png"));
        QCOMPARE(w.findChild<QLabel*>("theIcon")->pixmap(Qt::ReturnByValue).toImage(),
                 QPixmap(":/ZETA.png").toImage());
    }

    // Every way of closing tells the owner once; the window then deletes itself.
    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close button") << "button";
        QTest::newRow("escape key") << "escape";
        QTest::newRow("close") << "close";
    }
    void closing()
    {
        QFETCH(QString, how);
        Owner owner;
        QPointer<Measures> w = owner.open("Roof West", 20000.0);
        if (how == "button")
            QTest::mouseClick(w->findChild<QPushButton*>("CloseButton"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(w.data(), Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(owner.closings, 1);
        QTRY_VERIFY(w.isNull());
        owner.feed(threePhase()); // nothing left to feed
    }
};

VELORA_CONSOLE_TEST_MAIN(TestMeasures)
#include "tst_measures.moc"
