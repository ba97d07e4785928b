#include "querytable.h"

#include "modbusframes.h"

using namespace modbusframes;
using registerblocks::measuresRegisters;

namespace querytable {

namespace {
struct Read
{
    quint16 start = 0;
    int count = 0; // 0: not a read
};

Read readOf(QueryState state, const LinkContext& ctx)
{
    switch (state) {
    case Identity:
        return {79, 32};
    case Version:
        return {128, 1};
    case TypeBlock:
        return {800, typeBlockRegisters(ctx)};
    case DailyValues:
        return {500, registerblocks::DailyValuesWords};
    case Measures:
        return {10, measuresRegisters(ctx.flags.legacy, ctx.version)};
    case HouseLoad:
        return {200, 3};
    case Status:
        return {6, statusRegisters(ctx)};
    case AlarmWordsRead:
        return {1000, alarmRegisters(ctx)};
    case ParametersRead:
        return {140, parameterRegisters(ctx)};
    case CommandResult:
        return {116, 1};
    case StringBoxBlock:
        return {20, 8};
    case TpxBlockA:
        return {0, 4};
    case TpxBlockB:
        return {11, 75};
    case TpxBlockC:
        return {120, 9};
    default:
        return {};
    }
}

bool isWrite(QueryState state)
{
    return state == ParametersWrite || state == ParameterWriteOne || state == CommandApply ||
           state == UpdateAvailable || state == TimeSync;
}
} // namespace

int typeBlockRegisters(const LinkContext& ctx)
{
    return ctx.zeta && !ctx.flags.legacy ? registerblocks::TypeBlockWords
                                         : registerblocks::TypeBlockShortWords;
}
int statusRegisters(const LinkContext& ctx)
{
    return ctx.flags.legacy ? 2 : 3;
}
int alarmRegisters(const LinkContext& ctx)
{
    return ctx.flags.longAlarmWords ? 10 : 8;
}
int parameterRegisters(const LinkContext& ctx)
{
    return ctx.flags.longParameters ? 8 : 7;
}

QByteArray request(QueryState state, const LinkContext& ctx)
{
    const Read r = readOf(state, ctx);
    if (r.count > 0)
        return readRequest(r.start, static_cast<quint16>(r.count));
    const auto* block = reinterpret_cast<const unsigned char*>(ctx.parameterWrite);
    switch (state) {
    case ParametersWrite:
        return block ? writeMultipleRequest(140, block, parameterRegisters(ctx)) : QByteArray();
    case ParameterWriteOne:
        return block ? writeSingleRawRequest(static_cast<quint16>(140 + ctx.parameterIndex),
                                             block + 2 * ctx.parameterIndex)
                     : QByteArray();
    case CommandApply:
        return writeSingleRequest(CommandRegister, ApplyCommand);
    case UpdateAvailable:
        return writeSingleRequest(CommandRegister, UpdateCommand);
    case TimeSync:
        return timeSyncRequest(ctx.now);
    default:
        return QByteArray();
    }
}

int expectedLength(QueryState state, const LinkContext& ctx)
{
    const Read r = readOf(state, ctx);
    if (r.count > 0)
        return readReplyLength(r.count);
    return isWrite(state) ? WriteReplyLength : -1;
}

QueryState nextState(QueryState state, const LinkContext& ctx)
{
    using registerblocks::StatusReadTypeAgain;
    using registerblocks::StatusSelfConsumption;
    switch (state) {
    case Identity:
        return ctx.nominalPower != 0.0 ? Version : Identity;
    case Version:
        return !ctx.zeta && ctx.flags.legacy ? Measures : TypeBlock;
    case TypeBlock:
        return DailyValues;
    case DailyValues:
        return Measures;
    case Measures: {
        const bool houseLoad = ctx.version > 99 && (ctx.zeta || ctx.version >= 133) &&
                               (ctx.statusWord & StatusSelfConsumption) != 0;
        return houseLoad ? HouseLoad : Status;
    }
    case HouseLoad:
        return Status;
    case Status:
        if (ctx.statusWord & StatusReadTypeAgain)
            return TypeBlock;
        return ctx.flags.alarmWords ? AlarmWordsRead : Measures;
    case AlarmWordsRead:
    case ParametersRead:
    case CommandResult:
        return Measures;
    case ParametersWrite:
        return CommandApply;
    case ParameterWriteOne:
        return ctx.parameterIndex + 1 > LastOneByOneIndex ? CommandApply : ParameterWriteOne;
    case CommandApply:
        return CommandResult;
    case UpdateAvailable:
        return ctx.stringBox ? StringBoxBlock : Measures;
    case TimeSync:
        return ctx.savedState;
    case StringBoxBlock:
        return StringBoxBlock;
    case TpxBlockA:
        return TpxBlockB;
    case TpxBlockB:
        return TpxBlockC;
    case TpxBlockC:
        return TpxBlockA;
    default:
        return state;
    }
}

} // namespace querytable
