#include "alarmtexts.h"

#include <cstring>

namespace {

// The 144 texts, by group in this order: S (16), I (32), C (16), B (16),
// A (32), X (32), each group from bit 0 up. Texts such as "s=0010",
// "B=0040", "Alarm code 0x01000000" or "alarms_3 0x0400" stand for bits
// without a meaning of their own; bits 24 to 31 of I can never be set.
const char* const Texts[] = {
    // Group S
    QT_TRANSLATE_NOOP("DialogAlarms", "s=0001"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Active DCD on RS232-1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "DSP-Sys measurements error (FAIL 27)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Active DCD on RS232-2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "s=0010"),
    QT_TRANSLATE_NOOP("DialogAlarms", "s=0020"),
    QT_TRANSLATE_NOOP("DialogAlarms", "s=0040"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Anti-island STOP (FAIL 37)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Power fail on system card"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Master signals off"),
    QT_TRANSLATE_NOOP("DialogAlarms", "System pll unlocked"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Transformer Phase Error"),
    QT_TRANSLATE_NOOP("DialogAlarms", "High system temperature"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Transformer Ratio Error"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Remote 'Ups off' input active"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Output frequency 60Hz"),
    // Group I
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter overtemperature on module 3"),
    QT_TRANSLATE_NOOP("DialogAlarms", "IGBT module 3 or driver fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Grid Frequency not good"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter inhibited"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter LOW AC output voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter LOW DC input voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter takes power from output"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter thermal cables fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter Failed or inhibited"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter synchro not present"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter Master"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter high output voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter high output voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter high input voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter overtemperature on module 1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter overtemperature on module 2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter thermal cable fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "IGBT module 1 or driver fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "IGBT module 2 or driver fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "IGBT modules or drivers fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter cables link fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter card power fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter on standby_on status"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter Closed loop"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x01000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x02000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x04000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x08000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x10000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x20000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x40000000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Alarm code 0x80000000"),
    // Group C
    QT_TRANSLATE_NOOP("DialogAlarms", "Grid Average Voltage HIGH (FAIL 28)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "c=0002"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Average Voltage error on output 3"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Istantaneous Voltage error out 1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Istantaneous Voltage error out 2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Istantaneous Voltage error out 3"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Average Voltage error on output 1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Average Voltage error on output 2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "high peak current on output 1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "high peak current on output 2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "high peak current on output 3"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Current overload on output  1"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Current overload on output 2"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Current overload on output 3"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Fan failure"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Transformer overtemperature"),
    // Group B
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter output contactor fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter output contactor open"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Standby-ON command active"),
    QT_TRANSLATE_NOOP("DialogAlarms", "ROCOF Frequency Drift High"),
    QT_TRANSLATE_NOOP("DialogAlarms", "B=0010"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Pause for AC Line wrong"),
    QT_TRANSLATE_NOOP("DialogAlarms", "B=0040"),
    QT_TRANSLATE_NOOP("DialogAlarms", "B=0080"),
    QT_TRANSLATE_NOOP("DialogAlarms", "'Inverter off' input active"),
    QT_TRANSLATE_NOOP("DialogAlarms", "current on SCR of bypass line"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Bypass line 1 voltage fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Bypass line 2 voltage fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Bypass line 3 voltage fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Bypass line 1 frequency fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Bypass line voltage phases fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "SWMB, maintenace switch closed"),
    // Group A
    QT_TRANSLATE_NOOP("DialogAlarms", "OVERTEMPERATURE or FAN FAILURE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "INPUT VOLTAGE SEQUENCE NOT OK"),
    QT_TRANSLATE_NOOP("DialogAlarms", "LIMITED POWER FOR OVERFREQUENCY"),
    QT_TRANSLATE_NOOP("DialogAlarms", "PANEL SYSTEM OFF COMMAND ACTIVE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "REMOTE OFF COMMAND ACTIVE (EPO)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "MEMORY CHANGED"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 11"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Inverter timer OFF active"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 7: system power supply"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 8: Output power unbalanced"),
    QT_TRANSLATE_NOOP("DialogAlarms", "A9"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 10, or fault>11"),
    QT_TRANSLATE_NOOP("DialogAlarms", "OVERLOAD INHIBITED"),
    QT_TRANSLATE_NOOP("DialogAlarms", "LIMITED POWER FOR OVERTEMPERATURE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "REMOTE PAUSE COMMAND: ACTIVE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "ISOLATION OR GROUNDING FAULT"),
    QT_TRANSLATE_NOOP("DialogAlarms", "PAUSE, WAIT"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Power reduction due to HIGH Vac"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Precharge fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 2: Inverter permanent fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 3: Inverter contactor  fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 4"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 5"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 6: Input circuit or contactor fail"),
    QT_TRANSLATE_NOOP("DialogAlarms", "DISTURBANCES ON AC LINE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Power Reduction Command"),
    QT_TRANSLATE_NOOP("DialogAlarms", "WRONG AC LINE VOLTAGE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "HIGH DC INPUT VOLTAGE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "LOW  DC  VOLTAGE"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Reactive Production Command"),
    QT_TRANSLATE_NOOP("DialogAlarms", "Cos(phi) Setting Command"),
    QT_TRANSLATE_NOOP("DialogAlarms", "OVERLOAD"),
    // Group X
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 12: CAN TX error"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 13: CAN RX error (INV)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 14: CAN RX error (IMD)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 15: CAN error (Node 7A)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 16: CAN error (Node 7B)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 17: CAN error (Node 7C)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 18"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 19"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 20"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 21"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 22"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 23"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 24"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 25"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 26"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 27: Processors have measure inconsistency"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 28: High average output voltage"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 29: CAN error (DSP)"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 30: Temperature sensor error"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 31: System board oscillator anomaly"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 32: Input switch FAIL"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 33: SWIN trip"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 34"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 35"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 36"),
    QT_TRANSLATE_NOOP("DialogAlarms", "FAULT 37: Anti-island: stoppage."),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x0400"),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x0800"),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x1000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x2000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x4000"),
    QT_TRANSLATE_NOOP("DialogAlarms", "alarms_3 0x8000"),
};
static_assert(sizeof Texts / sizeof *Texts == AlarmTexts::TextCount, "one text per bit");

struct GroupInfo
{
    int first; // index of bit 0 in Texts
    int bits;
    char tag;
};

GroupInfo info(AlarmTexts::Group group)
{
    switch (group) {
    case AlarmTexts::S:
        return {0, 16, 's'};
    case AlarmTexts::I:
        return {16, 32, 'i'};
    case AlarmTexts::C:
        return {48, 16, 'c'};
    case AlarmTexts::B:
        return {64, 16, 'b'};
    case AlarmTexts::A:
        return {80, 32, 'a'};
    case AlarmTexts::X:
        break;
    }
    return {112, 32, 'x'};
}

const AlarmTexts::Group ListOrder[AlarmTexts::GroupCount] = {AlarmTexts::S, AlarmTexts::I, AlarmTexts::A,
                                                             AlarmTexts::B, AlarmTexts::C, AlarmTexts::X};

bool sameGroups(const registerblocks::AlarmGroups& a, const registerblocks::AlarmGroups& b)
{
    return a.s == b.s && a.i == b.i && a.a == b.a && a.b == b.b && a.c == b.c && a.x == b.x;
}

} // namespace

int AlarmTexts::bitCount(Group group)
{
    return info(group).bits;
}

QChar AlarmTexts::tag(Group group)
{
    return QLatin1Char(info(group).tag);
}

QString AlarmTexts::text(Group group, int bit)
{
    const GroupInfo g = info(group);
    if (bit < 0 || bit >= g.bits)
        return QString();
    return tr(Texts[g.first + bit]);
}

QString AlarmTexts::line(Group group, int bit)
{
    return text(group, bit).leftJustified(TextWidth, QLatin1Char(' ')) + tag(group) +
           QString("%1").arg(bit, 2, 10, QLatin1Char('0'));
}

quint32 AlarmTexts::value(const registerblocks::AlarmGroups& groups, Group group)
{
    switch (group) {
    case S:
        return groups.s;
    case I:
        return groups.i;
    case A:
        return groups.a;
    case B:
        return groups.b;
    case C:
        return groups.c;
    case X:
        break;
    }
    return groups.x;
}

QStringList AlarmTexts::lines(const registerblocks::AlarmGroups& groups)
{
    QStringList out;
    for (Group group : ListOrder) {
        const quint32 bits = value(groups, group);
        for (int bit = 0; bit < bitCount(group); ++bit)
            if (bits & (quint32(1) << bit))
                out << line(group, bit);
    }
    if (out.isEmpty())
        out << noAlarms();
    return out;
}

QString AlarmTexts::noAlarms()
{
    return tr("No alarms!");
}

int AlarmTexts::wordsRead(const registerblocks::ProtocolFlags& flags)
{
    if (!flags.alarmWords)
        return 0;
    return flags.longAlarmWords ? registerblocks::AlarmWords : 8;
}

QString AlarmTexts::dateTimeText(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString("%1/%2/%3 - %4:%5:%6")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year())
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

AlarmList::AlarmList()
{
    std::memset(alarmWords, 0, sizeof alarmWords);
}

void AlarmList::setWords(const unsigned short* words, const registerblocks::ProtocolFlags& flags)
{
    std::memcpy(alarmWords, words, sizeof(unsigned short) * AlarmTexts::wordsRead(flags));
}

bool AlarmList::refresh(QStringList* lines)
{
    const registerblocks::AlarmGroups groups = registerblocks::alarmGroups(alarmWords);
    if (sameGroups(groups, shown))
        return false;
    shown = groups;
    *lines = AlarmTexts::lines(groups);
    return true;
}
