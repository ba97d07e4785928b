// In the isolated network of the demo (scripts/netns-run.sh) a broadcast from
// the console's address reaches the demo plant's discovery and configuration
// responders, and each board answers once from its own address. Runs only
// inside that network; skipped where namespaces are refused.
#include "plantsimprocess.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

class TestPlantsimNetns : public QObject
{
    Q_OBJECT
    PlantSimProcess sim;
    // Broadcasts a request from the console's address: one line per answer.
    QStringList broadcast(quint8 command, quint16 port, int expected)
    {
        QUdpSocket s;
        if (!s.bind(QHostAddress("192.168.1.10"), 43034))
            return {s.errorString()};
        s.writeDatagram(discoveryRequest(command), QHostAddress::Broadcast, port);
        QStringList seen;
        const auto drain = [&] {
            for (QNetworkDatagram d; s.hasPendingDatagrams();) {
                const QByteArray b = (d = s.receiveDatagram()).data();
                QString line = QString::number(b.size()) + ' ' + d.senderAddress().toString() + ' ';
                if (command == 16) // address text, name, kind
                    line += QString(b.mid(120).constData()) + ' ' + b.mid(140).constData() + ' ' +
                            char('0' + b.at(160));
                else // record type, MAC
                    line += b.left(1).toHex() + ' ' + b.mid(2, 6).toHex(':');
                seen << line;
            }
            return seen.size() >= expected;
        };
        (void)QTest::qWaitFor(drain, 20000);
        sim.barrier(); // a second answer from a board would have arrived by now
        drain();
        return seen;
    }
private slots:
    void broadcastReachesBoards()
    {
        QVERIFY2(testsupport::unexpectedInterface({"velora0", "velora1"}).isEmpty(),
                 "not inside the isolated network; run through scripts/netns-run.sh");
        const QJsonObject dump =
            QJsonDocument::fromJson(runTool(PlantSimProcess::program(), {"--dump-scenario"})).object();
        const QJsonArray boards = dump["boards"].toArray();
        QVERIFY(sim.start({"--no-ftp"}));
        int discoverable = 0;
        for (const QJsonValue& b : boards)
            discoverable += b["discoverable"].toBool();
        const QStringList seen = broadcast(16, 33000, discoverable) + broadcast(17, 34043, boards.size());
        QCOMPARE(seen.size(), discoverable + boards.size());
        for (const QJsonValue& b : boards) {
            const QString addr = b["address"].toString(), kind = b["kind"] == "zeta" ? "3" : "2";
            const QString reply = "264 " + addr + ' ' + addr + ' ' + b["name"].toString() + ' ' + kind;
            const QString record =
                "788 " + addr + (b["wifi"].toBool() ? " ab " : " aa ") + b["mac"].toString();
            QVERIFY2(seen.count(reply) == int(b["discoverable"].toBool()), qPrintable(seen.join('\n')));
            QVERIFY2(seen.count(record) == 1, qPrintable(record + '\n' + seen.join('\n')));
        }
    }
};

QTEST_GUILESS_MAIN(TestPlantsimNetns)
#include "tst_plantsim_netns.moc"
