#include "scenario.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

struct FaultEntry
{
    Fault fault;
    const char* name;
};

const FaultEntry kFaults[] = {
    {Fault::Silent, "silent"},
    {Fault::WrongLength, "wrong-length"},
    {Fault::Split, "split"},
    {Fault::Exception, "exception"},
    {Fault::ExceptionFull, "exception-full"},
    {Fault::Refuse, "refuse"},
    {Fault::Drop, "drop"},
    {Fault::FtpStall, "ftp-stall"},
    {Fault::FtpStallOnce, "ftp-stall-once"},
    {Fault::FtpPasvAddress, "ftp-pasv-address"},
    {Fault::FtpSilent, "ftp-silent"},
    {Fault::UdpSilent, "udp-silent"},
};

const char* const kKinds[] = {"inverter", "zeta", "stringbox", "tpx"};

QByteArray macFor(int index)
{
    QByteArray mac = QByteArray::fromHex("02564c000000");
    mac[4] = char((index >> 8) & 0xFF);
    mac[5] = char(index & 0xFF);
    return mac;
}

QString versionTextFor(const BoardConfig& b)
{
    const QString v =
        QString("%1.%2.%3").arg(b.firmware / 100).arg(b.firmware / 10 % 10).arg(b.firmware % 10);
    return b.kind == BoardKind::StringBox ? "SB_" + v : v;
}

BoardConfig makeBoard(const QString& id, BoardKind kind, int firmware, const QString& name, int phases,
                      int power, const QString& address, int index)
{
    BoardConfig b;
    b.id = id;
    b.kind = kind;
    b.firmware = firmware;
    b.name = name;
    b.phases = phases;
    b.nominalPower = power;
    b.address = QHostAddress(address);
    b.mac = macFor(index);
    b.versionText = versionTextFor(b);
    b.totalEnergyBase = power * 1.1 * (300 + index * 40) / 1000.0;
    return b;
}

} // namespace

QString faultName(Fault f)
{
    for (const auto& e : kFaults)
        if (e.fault == f)
            return e.name;
    return QString();
}

bool faultFromName(const QString& name, Fault* f)
{
    for (const auto& e : kFaults)
        if (name == QLatin1String(e.name)) {
            *f = e.fault;
            return true;
        }
    return false;
}

QStringList allFaultNames()
{
    QStringList out;
    for (const auto& e : kFaults)
        out << e.name;
    return out;
}

QString kindName(BoardKind k)
{
    return kKinds[int(k)];
}

bool kindFromName(const QString& name, BoardKind* k)
{
    for (int i = 0; i < 4; ++i)
        if (name == QLatin1String(kKinds[i])) {
            *k = BoardKind(i);
            return true;
        }
    return false;
}

Scenario defaultScenario()
{
    Scenario s;
    s.boards << makeBoard("inv1", BoardKind::Inverter, 122, "Roof East", 3, 10000, "192.168.1.20", 1);
    s.boards << makeBoard("inv2", BoardKind::Inverter, 150, "Roof West", 3, 20000, "192.168.1.21", 2);
    s.boards.last().selfConsumption = true;
    s.boards.last().probes = 0x3;
    s.boards << makeBoard("inv3", BoardKind::Inverter, 133, "Garage", 1, 3000, "192.168.1.22", 3);
    s.boards << makeBoard("zeta1", BoardKind::Zeta, 150, "Zeta Barn", 3, 50000, "192.168.1.23", 4);
    s.boards.last().wifi = true;
    s.boards.last().probes = 0x1;
    s.boards << makeBoard("sb1", BoardKind::StringBox, 130, "Strings A", 3, 0, "192.168.1.24", 5);
    s.boards << makeBoard("tpx1", BoardKind::Tpx, 150, "Storage", 3, 8000, "192.168.1.25", 6);
    s.boards.last().discoverable = false;
    s.boards << makeBoard("new1", BoardKind::Inverter, 150, "", 3, 6000, "192.168.1.100", 7);
    return s;
}

Scenario generatedScenario(int count, const QHostAddress& base, quint16 portBase)
{
    Scenario s;
    const quint32 first = base.toIPv4Address();
    for (int i = 0; i < count; ++i) {
        const QString addr = QHostAddress(portBase ? first : first + i).toString();
        BoardConfig b =
            makeBoard(QString("b%1").arg(i + 1), i % 7 == 6 ? BoardKind::Zeta : BoardKind::Inverter,
                      i % 3 == 0 ? 122 : 150, QString("Bench %1").arg(i + 1), i % 4 == 3 ? 1 : 3,
                      3000 + (i % 10) * 1000, addr, i + 1);
        b.historyDays = 1;
        if (portBase) {
            b.modbusPort = quint16(portBase + 4 * i);
            b.ftpPort = quint16(portBase + 4 * i + 1);
            b.discoveryPort = quint16(portBase + 4 * i + 2);
            b.configPort = quint16(portBase + 4 * i + 3);
        }
        s.boards << b;
    }
    return s;
}

void mapToLoopback(Scenario* s, quint16 portBase)
{
    for (int i = 0; i < s->boards.size(); ++i) {
        BoardConfig& b = s->boards[i];
        b.address = QHostAddress(QHostAddress::LocalHost);
        b.modbusPort = portBase ? quint16(portBase + 4 * i) : 0;
        b.ftpPort = portBase ? quint16(portBase + 4 * i + 1) : 0;
        b.discoveryPort = portBase ? quint16(portBase + 4 * i + 2) : 0;
        b.configPort = portBase ? quint16(portBase + 4 * i + 3) : 0;
    }
}

bool scenarioFromJson(const QJsonObject& root, Scenario* out, QString* error)
{
    out->boards.clear();
    const QJsonArray boards = root.value("boards").toArray();
    if (boards.isEmpty()) {
        *error = "no boards in the scenario";
        return false;
    }
    for (int i = 0; i < boards.size(); ++i) {
        const QJsonObject o = boards.at(i).toObject();
        BoardConfig b;
        b.id = o.value("id").toString(QString("b%1").arg(i + 1));
        if (!kindFromName(o.value("kind").toString("inverter"), &b.kind)) {
            *error = QString("board %1: unknown kind %2").arg(b.id, o.value("kind").toString());
            return false;
        }
        b.firmware = o.value("firmware").toInt(150);
        b.name = o.value("name").toString();
        b.phases = o.value("phases").toInt(3);
        b.nominalPower = o.value("nominalPower").toInt(b.kind == BoardKind::StringBox ? 0 : 6000);
        b.probes = o.value("probes").toInt(0);
        b.selfConsumption = o.value("selfConsumption").toBool(false);
        b.wifi = o.value("wifi").toBool(false);
        b.discoverable = o.value("discoverable").toBool(b.kind != BoardKind::Tpx);
        b.versionText = o.value("versionText").toString(versionTextFor(b));
        b.mac = QByteArray::fromHex(o.value("mac").toString().remove(':').toLatin1());
        if (b.mac.size() != 6)
            b.mac = macFor(i + 1);
        b.address = QHostAddress(o.value("address").toString("127.0.0.1"));
        if (b.address.protocol() != QAbstractSocket::IPv4Protocol) {
            *error = QString("board %1: bad address").arg(b.id);
            return false;
        }
        b.modbusPort = quint16(o.value("modbusPort").toInt(502));
        b.ftpPort = quint16(o.value("ftpPort").toInt(21));
        b.discoveryPort = quint16(o.value("discoveryPort").toInt(33000));
        b.configPort = quint16(o.value("configPort").toInt(34043));
        b.historyDays = o.value("historyDays").toInt(3);
        b.ftpLogs = o.value("ftpLogs").toBool(true);
        for (const QJsonValue& f : o.value("ftpExtraFiles").toArray()) {
            const QString path = f.toString();
            if (path.isEmpty() || path.startsWith('/') || path.split('/').contains("..")) {
                *error = QString("board %1: extra file %2 outside the board's folder").arg(b.id, path);
                return false;
            }
            b.ftpExtraFiles << path;
        }
        for (const QJsonValue& n : o.value("ftpListExtra").toArray())
            b.ftpListExtra << n.toString();
        b.resultWord = quint16(o.value("resultWord").toString("0x0F32").toUInt(nullptr, 0));
        b.acceptsCommands = o.value("commands").toBool(true);
        b.state = o.value("state").toInt(1);
        for (const QJsonValue& a : o.value("alarms").toArray())
            if (b.alarms.size() < 10)
                b.alarms << quint16(a.toInt());
        for (const QJsonValue& bit : o.value("statusBits").toArray())
            if (bit.toInt() >= 0 && bit.toInt() < 16)
                b.statusExtra |= quint16(1 << bit.toInt());
        b.refreshHeld = o.value("refreshHeld").toBool(false);
        b.totalEnergyBase = o.value("totalEnergy").toDouble(b.nominalPower * 0.4);
        b.ftpMasquerade = o.value("ftpMasquerade").toString(b.ftpMasquerade);
        for (const QJsonValue& f : o.value("faults").toArray()) {
            Fault fault;
            if (!faultFromName(f.toString(), &fault)) {
                *error = QString("board %1: unknown fault %2").arg(b.id, f.toString());
                return false;
            }
            b.faults.insert(fault);
        }
        out->boards << b;
    }
    return true;
}

QJsonObject scenarioToJson(const Scenario& s)
{
    QJsonArray boards;
    for (const BoardConfig& b : s.boards) {
        QJsonObject o;
        o["id"] = b.id;
        o["kind"] = kindName(b.kind);
        o["firmware"] = b.firmware;
        o["versionText"] = b.versionText;
        o["name"] = b.name;
        o["phases"] = b.phases;
        o["nominalPower"] = b.nominalPower;
        o["probes"] = b.probes;
        o["selfConsumption"] = b.selfConsumption;
        o["wifi"] = b.wifi;
        o["discoverable"] = b.discoverable;
        o["mac"] = QString(b.mac.toHex(':'));
        o["address"] = b.address.toString();
        o["modbusPort"] = b.modbusPort;
        o["ftpPort"] = b.ftpPort;
        o["discoveryPort"] = b.discoveryPort;
        o["configPort"] = b.configPort;
        o["historyDays"] = b.historyDays;
        o["ftpLogs"] = b.ftpLogs;
        o["ftpExtraFiles"] = QJsonArray::fromStringList(b.ftpExtraFiles);
        o["ftpListExtra"] = QJsonArray::fromStringList(b.ftpListExtra);
        o["resultWord"] = QString("0x%1").arg(b.resultWord, 4, 16, QChar('0')).toUpper().replace("0X", "0x");
        o["commands"] = b.acceptsCommands;
        o["state"] = b.state;
        QJsonArray alarms, bits;
        for (quint16 a : b.alarms)
            alarms << a;
        for (int bit = 0; bit < 16; ++bit)
            if (b.statusExtra >> bit & 1)
                bits << bit;
        o["alarms"] = alarms;
        o["statusBits"] = bits;
        if (b.kind == BoardKind::Tpx)
            o["refreshHeld"] = b.refreshHeld;
        o["totalEnergy"] = b.totalEnergyBase;
        o["ftpMasquerade"] = b.ftpMasquerade;
        QJsonArray faults;
        for (Fault f : b.faults)
            faults << faultName(f);
        o["faults"] = faults;
        boards << o;
    }
    QJsonObject root;
    root["boards"] = boards;
    return root;
}

bool loadScenario(const QString& path, Scenario* out, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QString("cannot open %1: %2").arg(path, f.errorString());
        return false;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QString("%1: %2 at offset %3").arg(path, pe.errorString()).arg(pe.offset);
        return false;
    }
    return scenarioFromJson(doc.object(), out, error);
}
