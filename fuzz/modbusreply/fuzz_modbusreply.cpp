// Modbus TCP replies as the equipment link takes them: the input's first
// bytes set the link's state and what the tile knows of its equipment
// (kind, firmware version, status word), the rest is the reply. The reply is
// checked against the query table and, when it fits, stored and decoded
// through the same register-block functions the tile calls.
#include "fuzzinput.h"
#include "modbusframes.h"
#include "querytable.h"
#include "registerblocks.h"

using namespace querytable;

namespace {

const int States[] = {Identity,          Version,         Measures,        Status,
                      ParametersRead,    ParametersWrite, CommandApply,    CommandResult,
                      ParameterWriteOne, DailyValues,     UpdateAvailable, TypeBlock,
                      TimeSync,          AlarmWordsRead,  HouseLoad,       TpxBlockA,
                      TpxBlockB,         TpxBlockC,       StringBoxBlock};

void store(int state, const LinkContext& ctx, EquipmentRecords& rec)
{
    switch (state) {
    case Identity:
        rec.storeIdentity();
        registerblocks::nominalPowerFromIdentity(rec.identity);
        break;
    case Version: {
        const short version = rec.storeVersion();
        registerblocks::ProtocolFlags flags = ctx.flags;
        flags.applyVersion(version);
        registerblocks::versionText(version);
        break;
    }
    case TypeBlock: {
        const int registers = typeBlockRegisters(ctx);
        rec.storeTypeBlock(registers);
        const registerblocks::TypeInfo t = registerblocks::decodeTypeBlock(rec.typeBlock, registers);
        FUZZ_CHECK(t.typeCode < (1 << 13));
        break;
    }
    case DailyValues:
        rec.storeDailyValues();
        break;
    case Measures:
        rec.storeMeasures(ctx.version);
        registerblocks::dailyEnergy(rec.measures);
        registerblocks::instantPower(rec.measures);
        registerblocks::totalEnergy(rec.measures);
        break;
    case HouseLoad:
        rec.storeHouseLoad();
        break;
    case Status:
        rec.storeStatus();
        break;
    case AlarmWordsRead:
        rec.storeAlarmWords();
        registerblocks::alarmGroups(rec.alarmWords);
        break;
    case ParametersRead:
        rec.storeParameters(parameterRegisters(ctx));
        break;
    case CommandResult:
        registerblocks::resultCodeFromWord(rec.storeCommandResult());
        break;
    case TpxBlockA:
        rec.storeTpxA();
        break;
    case TpxBlockB:
        rec.storeTpxB();
        break;
    case TpxBlockC:
        rec.storeTpxC();
        break;
    case StringBoxBlock:
        rec.storeStringBox();
        break;
    default: // writes: acknowledged by their reply
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int state = States[in.byte() % (sizeof States / sizeof States[0])];
    const uint8_t kind = in.byte();
    LinkContext ctx;
    ctx.version = short(in.word());
    ctx.zeta = kind & 1;
    ctx.stringBox = kind & 2;
    ctx.flags.applyVersion(ctx.version);
    ctx.statusWord = in.word();
    ctx.nominalPower = (kind & 4) ? 0.0 : 10000.0;
    ctx.parameterIndex = int(in.byte() % (LastOneByOneIndex + 1));
    ctx.savedState = Measures;
    unsigned short parameterWrite[registerblocks::ParameterWords] = {};
    ctx.parameterWrite = parameterWrite;
    ctx.now = QDateTime(QDate(2026, 1, 2), QTime(8, 0));
    const QByteArray reply = in.rest();

    // The request the tile sends in this state, and the reply it expects.
    const QByteArray request = querytable::request(state, ctx);
    const int expected = expectedLength(state, ctx);
    FUZZ_CHECK(expected <= registerblocks::ReceiveBufferSize);
    FUZZ_CHECK(request.isEmpty() == (expected < 0));

    EquipmentRecords rec;
    rec.receive(reply.constData(), reply.size());
    if (reply.size() != expected) {
        // A reply of the wrong length is only dumped.
        registerblocks::dumpText(rec.receiveBuffer(), qMin(reply.size(), registerblocks::ReceiveBufferSize));
        return 0;
    }
    if (modbusframes::isExceptionReply(rec.receiveBuffer()))
        return 0;
    store(state, ctx, rec);
    ctx.statusWord = rec.statusWord();
    FUZZ_CHECK(nextState(state, ctx) > 0);
    return 0;
}
