// The measures window fed the way its owner feeds it, with blocks built from
// the bytes of a board's replies: the identity once per window, a silent
// house meter, the image and closing. The formulas: tst_measurestexts.
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
const quint16 Meter = registerblocks::StatusSelfConsumption;

// The blocks of one equipment after its replies: identity (phase word, then the
// nominal power as six characters), measures, status registers 6 to 8, house load.
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

// The owner's side of the feeding, as an equipment tile runs it after each reply.
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

Board threePhase(quint16 status2 = Meter)
{
    return Board('3', "020000", {{10, 2305}, {11, 2298}, {12, 2312}, {14, 410}, {15, 409}, {16, 411}},
                 status2, {12, 8, 15});
}
Board singlePhase()
{
    return Board('1', "003000", {{10, 2302}, {14, 221}}, 0, {0xFFFF, 0, 0});
}
} // namespace

class TestMeasures : public QObject
{
    Q_OBJECT
private slots:
    // The identity is handed once per window: a later identity with an
    // unknown phase word keeps the count; a new window gets it again.
    void identityOncePerWindow()
    {
        Owner owner;
        Measures* w = owner.open("Roof West", 20000.0);
        QCOMPARE(w->getTheNumPhases(), 0);
        owner.feed(threePhase());
        QCOMPARE(w->getTheNumPhases(), 3);
        const Board odd('7', "020000", {}, 0, {0xFFFF, 0, 0});
        w->setTheIdentity(odd.rec.identity);
        w->IdentUpdates();
        QCOMPARE(w->getTheNumPhases(), 3);

        w->close();
        QVERIFY(!owner.identitySent && owner.window.isNull());
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
