// The isolated network of the demo: scripts/netns-run.sh gives a namespace
// with no way out, in which a broadcast from the console-side address reaches
// the simulated boards' discovery and configuration responders. Skipped when
// the machine refuses network namespaces.

#include "plantsimprocess.h"

namespace {

constexpr int kNoNamespaces = 77; // netns-run.sh's status when namespaces are refused

QString script()
{
    return testsupport::sourceDir() + "/scripts/netns-run.sh";
}

} // namespace

class TestPlantsimNetns : public QObject
{
    Q_OBJECT

private:
    QByteArray inNamespace(const QStringList& command, int* rc)
    {
        return runTool(script(), QStringList{"--"} + command, rc, 60000);
    }

private slots:
    void initTestCase()
    {
        if (testsupport::sourceDir().isEmpty())
            QSKIP("VELORA_SOURCE_DIR is not set (run under CTest)");
        int rc = -1;
        inNamespace({"true"}, &rc);
        if (rc == kNoNamespaces)
            QSKIP("this machine refuses network namespaces (unshare -n / unshare -rn failed)");
        QCOMPARE(rc, 0);
    }

    void noWayOut()
    {
        int rc = -1;
        const QStringList links = QString::fromLatin1(inNamespace({"ip", "-o", "link", "show"}, &rc))
                                      .split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rc, 0);
        QStringList names;
        for (const QString& l : links)
            names << l.section(':', 1, 1).trimmed().section('@', 0, 0);
        names.sort();
        QCOMPARE(names, QStringList({"lo", "velora0", "velora1"}));
        const QString routes = QString::fromLatin1(inNamespace({"ip", "-4", "route", "show"}, &rc));
        QCOMPARE(rc, 0);
        QVERIFY2(!routes.contains("default"), qPrintable(routes));
        QVERIFY2(!routes.contains(" via "), qPrintable(routes));
        inNamespace({"ip", "route", "get", "8.8.8.8"}, &rc);
        QVERIFY(rc != 0); // no route to anything outside
    }

    void broadcastReachesBoards()
    {
        int rc = -1;
        const QByteArray dump = runTool(PlantSimProcess::program(), {"--dump-scenario"}, &rc);
        QCOMPARE(rc, 0);
        const QJsonArray boards = QJsonDocument::fromJson(dump).object().value("boards").toArray();
        QVERIFY(boards.size() >= 7);

        int discoverable = 0;
        for (const QJsonValue& v : boards)
            discoverable += v.toObject().value("discoverable").toBool() ? 1 : 0;
        const QStringList lines =
            QString::fromLatin1(inNamespace({"/usr/bin/python3",
                                             testsupport::sourceDir() + "/tests/simulator/broadcast_probe.py",
                                             PlantSimProcess::program(), QString::number(discoverable),
                                             QString::number(boards.size())},
                                            &rc))
                .split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rc, 0);
        QVERIFY2(lines.contains("DONE"), qPrintable(lines.join('\n')));
        for (const QJsonValue& v : boards) {
            const QJsonObject b = v.toObject();
            const QString addr = b.value("address").toString();
            const QString name = b.value("name").toString().replace(' ', '_');
            const int kind = b.value("kind").toString() == "zeta" ? 3 : 2;
            const QString reply =
                QString("REPLY %1 %1 %2 %3").arg(addr, name.isEmpty() ? QString("-") : name).arg(kind);
            // One reply per board, from its own address; none from a board that does not announce itself.
            QCOMPARE(lines.count(reply), b.value("discoverable").toBool() ? 1 : 0);
            const QString record =
                QString("RECORD %1 %2 %3")
                    .arg(addr, b.value("wifi").toBool() ? "ab" : "aa", b.value("mac").toString().remove(':'));
            QCOMPARE(lines.count(record), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlantsimNetns)
#include "tst_plantsim_netns.moc"
