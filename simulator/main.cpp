// plantsim: a headless stand-in for the network boards of a solar plant's
// equipments. See simulator/README.md for the command line, the scenario
// format, the control commands and the log lines.

#include "controlchannel.h"
#include "plant.h"
#include "scenario.h"
#include "simlog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

#include <sys/resource.h>

namespace {

// Each board holds several sockets (register listener and relay, two UDP
// responders, FTP in the child): raise the open-file limit as far as allowed
// so that 200 boards with their connections fit.
void raiseFileLimit()
{
    rlimit lim{};
    if (::getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &lim);
    }
}

} // namespace

int main(int argc, char** argv)
{
    raiseFileLimit();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("plantsim");

    QCommandLineParser parser;
    parser.setApplicationDescription("Simulated equipment boards: register server, FTP, discovery and "
                                     "configuration responders.");
    parser.addHelpOption();
    const QCommandLineOption scenarioOpt("scenario", "Scenario file (JSON); the demo plant when absent.",
                                         "file");
    const QCommandLineOption loopbackOpt("loopback", "Put every board on 127.0.0.1 with ports of its own.");
    const QCommandLineOption portBaseOpt(
        "port-base",
        "First port for --loopback or --generate: four per board "
        "(register, FTP, discovery, configuration). 0 lets the system choose.",
        "port", "0");
    const QCommandLineOption generateOpt("generate", "Generate N inverters instead of a scenario.", "N");
    const QCommandLineOption baseOpt("base", "First address of generated boards.", "address", "127.0.1.1");
    const QCommandLineOption controlOpt("control-port",
                                        "Also take control commands on 127.0.0.1:port (0: any).", "port");
    const QCommandLineOption noFtpOpt("no-ftp", "Do not start the FTP servers.");
    const QCommandLineOption noUdpOpt("no-udp", "Do not start the discovery and configuration responders.");
    const QCommandLineOption dumpOpt("dump-scenario", "Print the scenario as JSON and exit.");
    const QCommandLineOption quietOpt("quiet",
                                      "Print only the BOARD/READY lines, answers and errors, no events.");
    const QCommandLineOption updateOpt("update-ms", "Period of the value updates.", "ms", "1000");
    const QCommandLineOption solarOpt(
        "solar-time", "Time of day the values follow (HH:mm) instead of the PC clock.", "time");
    parser.addOptions({scenarioOpt, loopbackOpt, portBaseOpt, generateOpt, baseOpt, controlOpt, noFtpOpt,
                       noUdpOpt, dumpOpt, updateOpt, quietOpt, solarOpt});
    parser.process(app);
    setSimLogQuiet(parser.isSet(quietOpt));

    Scenario scenario;
    QString error;
    const quint16 portBase = quint16(parser.value(portBaseOpt).toUInt());
    if (parser.isSet(generateOpt)) {
        const int n = parser.value(generateOpt).toInt();
        const QHostAddress base(parser.value(baseOpt));
        if (n < 1 || base.protocol() != QAbstractSocket::IPv4Protocol) {
            simSay("ERROR --generate needs a count and an IPv4 --base");
            return 2;
        }
        scenario = generatedScenario(n, base, portBase);
    } else if (parser.isSet(scenarioOpt)) {
        if (!loadScenario(parser.value(scenarioOpt), &scenario, &error)) {
            simSay("ERROR " + error);
            return 2;
        }
    } else {
        scenario = defaultScenario();
    }
    if (parser.isSet(loopbackOpt))
        mapToLoopback(&scenario, portBase);
    if (parser.isSet(dumpOpt)) {
        simSay(QString::fromUtf8(QJsonDocument(scenarioToJson(scenario)).toJson(QJsonDocument::Indented)));
        return 0;
    }

    PlantOptions options;
    options.ftp = !parser.isSet(noFtpOpt);
    options.udp = !parser.isSet(noUdpOpt);
    options.updateMs = qMax(50, parser.value(updateOpt).toInt());
    if (parser.isSet(solarOpt)) {
        options.solarTime = QTime::fromString(parser.value(solarOpt), "HH:mm");
        if (!options.solarTime.isValid()) {
            simSay("ERROR --solar-time needs HH:mm");
            return 2;
        }
    }
    Plant plant(scenario, options);
    QObject::connect(&plant, &Plant::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&plant, &Plant::readyChanged, &plant, [&plant] {
        for (const QString& line : plant.readyLines())
            simSay(line);
    });

    ControlChannel control(&plant);
    QObject::connect(&control, &ControlChannel::terminate, &app, &QCoreApplication::quit);
    if (!control.start(parser.isSet(controlOpt), quint16(parser.value(controlOpt).toUInt()), &error)) {
        simSay("ERROR " + error);
        return 1;
    }
    if (!plant.start(&error)) {
        simSay("ERROR " + error);
        return 1;
    }
    const int rc = app.exec();
    simSay("EXIT");
    return rc;
}
