#pragma once
// The simulated plant: one BoardConfig per board, loaded from a JSON scenario
// file, built in (the demo plant) or generated for benchmarks.

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

enum class BoardKind
{
    Inverter,
    Zeta,
    StringBox,
    Tpx
};

// Faults a board can show on the wire; switched per board at start or at run time.
enum class Fault
{
    Silent,         // register server accepts requests and never answers
    WrongLength,    // replies carry one byte too many
    Split,          // replies are written in two pieces
    Exception,      // every request gets a Modbus exception reply (9 bytes)
    ExceptionFull,  // the normal reply with the top bit of the function code set
    Refuse,         // the register port refuses connections
    Drop,           // the connection is closed on the first request
    FtpStall,       // FTP downloads stop after the first bytes, the connection stays open
    FtpStallOnce,   // the next FTP download stops after the first bytes, later ones run
    FtpPasvAddress, // FTP passive replies name another address than the control peer's
    FtpSilent,      // FTP connections are accepted and never greeted
    UdpSilent,      // neither discovery nor configuration queries are answered
};

inline uint qHash(Fault f, uint seed = 0)
{
    return ::qHash(int(f), seed);
}

QString faultName(Fault f);
bool faultFromName(const QString& name, Fault* f);
QStringList allFaultNames();

QString kindName(BoardKind k);
bool kindFromName(const QString& name, BoardKind* k);

struct BoardConfig
{
    QString id; // key used by the control commands and the log lines
    BoardKind kind = BoardKind::Inverter;
    int firmware = 150;      // major * 100 + medium * 10 + minor
    QString versionText;     // announced by discovery; "SB_..." for a string box
    QString name;            // equipment name, may be empty
    int phases = 3;          // 1 or 3
    int nominalPower = 6000; // W
    int probes = 0;          // probe mask, bits 0-3
    bool selfConsumption = false;
    bool wifi = false;
    bool discoverable = true; // answers discovery broadcasts
    QByteArray mac;           // 6 bytes
    QHostAddress address;
    quint16 modbusPort = 502;
    quint16 ftpPort = 21;
    quint16 discoveryPort = 33000;
    quint16 configPort = 34043;
    int historyDays = 3; // past days of daily logs beside today's
    bool ftpLogs = true; // false: "applog" and "hisram" are served empty
    // Further files of the FTP folders, as paths under the board's root
    // ("applog/dp_2016_01_01.log"); each holds one line naming itself.
    QStringList ftpExtraFiles;
    // Names added to every FTP listing without a file behind them ("../x").
    QStringList ftpListExtra;
    quint16 resultWord = 0x0F32;
    bool acceptsCommands = true;      // status register 8 bit 6
    int state = 1;                    // equipment state word (1 running, 3/5 alarm)
    QVector<quint16> alarms;          // alarm words from register 1000, as many as given
    quint16 statusExtra = 0;          // further bits of status register 8 (7 remote viewer, 9 meter silent)
    bool refreshHeld = false;         // TPX: bit 15 of register 3, the unit's data are not to be shown
    double totalEnergyBase = 12000.0; // kWh before today
    QString ftpMasquerade = "10.99.99.99"; // address named by the passive-reply fault
    QSet<Fault> faults;
};

struct Scenario
{
    QVector<BoardConfig> boards;
};

// The demo plant: three-phase inverters on 1.2.2 and 1.5.0, a single-phase
// inverter, a Zeta, a string box, a TPX unit and an unconfigured board at the
// factory address, all in 192.168.1.0/24 on the standard ports.
Scenario defaultScenario();

// N plain inverters; addresses count up from base (ports standard), or, when
// portBase is nonzero, all on base with four consecutive ports per board.
Scenario generatedScenario(int count, const QHostAddress& base, quint16 portBase);

// Reads a scenario file; on failure returns false and sets the message.
bool loadScenario(const QString& path, Scenario* out, QString* error);
bool scenarioFromJson(const QJsonObject& root, Scenario* out, QString* error);
QJsonObject scenarioToJson(const Scenario& s);

// Moves every board to 127.0.0.1; ports count up from portBase (four per
// board: register, FTP, discovery, configuration), or are left to the system
// (0) when portBase is 0.
void mapToLoopback(Scenario* s, quint16 portBase);
