#pragma once
// The alarm list of an equipment, without widgets: the 144 alarm texts by
// group and bit, the line of one active bit, the list of the active bits of
// the six alarm groups, and the rule that rebuilds the list only when a group
// has changed.

#include "registerblocks.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

class AlarmTexts
{
    // The texts are translated in the alarm window's context.
    Q_DECLARE_TR_FUNCTIONS(DialogAlarms)

public:
    // The groups, in the order their lines are listed.
    enum Group
    {
        S, // system, register 1001
        I, // inverter, registers 1004 and 1005
        A, // registers 1006 and 1007
        B, // register 1003
        C, // register 1002
        X, // registers 1009 and 1008
    };
    static constexpr int GroupCount = 6;
    static constexpr int TextCount = 144;
    static constexpr int TextWidth = 50; // a line's text is padded to this width

    // Bits that have a text: 16 for S, B and C, 32 for I, A and X.
    static int bitCount(Group group);
    // Lower-case tag letter written after the text: s, i, a, b, c or x.
    static QChar tag(Group group);
    // Translated text of one bit; empty outside the group's bits.
    static QString text(Group group, int bit);
    // The text padded with blanks to 50 characters (nothing added when it is
    // longer), the tag letter and the bit number in two digits.
    static QString line(Group group, int bit);
    // Value of one group among the six formed from the alarm words.
    static quint32 value(const registerblocks::AlarmGroups& groups, Group group);
    // One line per set bit, S then I, A, B, C and X, each from bit 0 up;
    // the single line "No alarms!" when every group is zero.
    static QStringList lines(const registerblocks::AlarmGroups& groups);
    static QString noAlarms();

    // How many of the ten alarm words an alarm-words reply carries for a
    // protocol generation: none before 126 (the words are never read), 8
    // before 133 (group X stays zero), else 10.
    static int wordsRead(const registerblocks::ProtocolFlags& flags);

    // "d/m/yyyy - h:mm:ss": day, month, year and hour without padding,
    // minutes and seconds in two digits.
    static QString dateTimeText(const QDateTime& when);
};

// The alarm words an alarm window keeps and the groups of the list it last
// built: the list is rebuilt only when one of the six groups has changed, so
// an unchanged set leaves the shown list (and a selection in it) alone.
class AlarmList
{
public:
    AlarmList();

    // Copies the words an alarm-words reply carries for this generation (see
    // AlarmTexts::wordsRead); the other words keep their values.
    void setWords(const unsigned short* words, const registerblocks::ProtocolFlags& flags);
    const unsigned short* words() const { return alarmWords; }

    // Forms the six groups from the words; when one differs from the list
    // last built, stores them, fills `lines` and answers true; otherwise
    // leaves `lines` alone and answers false.
    bool refresh(QStringList* lines);

private:
    unsigned short alarmWords[registerblocks::AlarmWords];
    registerblocks::AlarmGroups shown; // groups of the list last built
};
