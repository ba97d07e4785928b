#pragma once
// The query table of the equipment link: for each query state the request
// to send, the reply length expected and the state that follows a good reply.

#include "registerblocks.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>

namespace querytable {
Q_NAMESPACE

// The requests of the cycle; the numbers are the states' names in the traces
// ("theQueryStatus").
enum QueryState
{
    Identity = 1,
    Version = 2,
    Measures = 3,
    Status = 4,
    ParametersRead = 5,
    ParametersWrite = 6,
    CommandApply = 7,
    CommandResult = 8,
    ParameterWriteOne = 9,
    DailyValues = 10,
    UpdateAvailable = 11,
    TypeBlock = 12,
    TimeSync = 13,
    AlarmWordsRead = 14,
    HouseLoad = 15,
    TpxBlockA = 16,
    TpxBlockB = 17,
    TpxBlockC = 18,
    StringBoxBlock = 100,
};
Q_ENUM_NS(QueryState)

// Register of the apply / update command, and its two values.
constexpr quint16 CommandRegister = 112;
constexpr quint16 ApplyCommand = 50;
constexpr quint16 UpdateCommand = 60;
constexpr int LastOneByOneIndex = 6;

// What the table depends on, as the tile knows it at the moment.
struct LinkContext
{
    bool zeta = false;
    bool stringBox = false;
    registerblocks::ProtocolFlags flags;
    short version = 0;
    double nominalPower = 0.0;
    unsigned short statusWord = 0;                  // status register 8, host order
    int parameterIndex = 0;                         // register being written one by one
    QueryState savedState = Identity;               // resumed after a clock setting
    const unsigned short* parameterWrite = nullptr; // wire order, 8 words
    QDateTime now;                                  // clock sent by the time sync
};

int typeBlockRegisters(const LinkContext& ctx);
int statusRegisters(const LinkContext& ctx);
int alarmRegisters(const LinkContext& ctx);
int parameterRegisters(const LinkContext& ctx);

// The request of a state; empty for a state without a request.
QByteArray request(QueryState state, const LinkContext& ctx);
// Total length of a good reply; -1 for a state without a request.
int expectedLength(QueryState state, const LinkContext& ctx);
// State after a good reply. For state 9 the context's parameter index is the
// register just written (the caller advances it).
QueryState nextState(QueryState state, const LinkContext& ctx);

} // namespace querytable
