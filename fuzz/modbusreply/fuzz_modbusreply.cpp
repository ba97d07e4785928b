// Modbus TCP replies as the equipment link takes them. The input's first
// bytes say what the console knows of the equipment (kind, firmware version,
// which windows are open, a parameter block waiting to be sent); the rest is
// a run of replies, each a state byte, a length and the reply's bytes, handed
// one after the other to one EquipmentLink through takeReply(), the call the
// link's socket handler makes. Earlier replies (version, status word) thus
// change how later ones are judged, as on a real connection.
#include "equipmentlink.h"
#include "fuzzinput.h"
#include "querytable.h"
#include "registerblocks.h"

#include <cstring>

using namespace querytable;

namespace {

const QueryState States[] = {Identity,          Version,         Measures,        Status,
                             ParametersRead,    ParametersWrite, CommandApply,    CommandResult,
                             ParameterWriteOne, DailyValues,     UpdateAvailable, TypeBlock,
                             TimeSync,          AlarmWordsRead,  HouseLoad,       TpxBlockA,
                             TpxBlockB,         TpxBlockC,       StringBoxBlock};
constexpr int StateCount = int(sizeof States / sizeof States[0]);

bool isState(QueryState s)
{
    for (QueryState known : States)
        if (known == s)
            return true;
    return false;
}

// The query table's own properties, for a context taken from the input.
void checkTable(FuzzInput& in)
{
    LinkContext ctx;
    const uint8_t kind = in.byte();
    ctx.zeta = kind & 1;
    ctx.stringBox = kind & 2;
    ctx.version = short(in.word());
    ctx.flags.applyVersion(ctx.version);
    ctx.statusWord = in.word();
    ctx.parameterIndex = int(in.byte() % (LastOneByOneIndex + 1));
    ctx.savedState = Measures;
    unsigned short parameterWrite[registerblocks::ParameterWords] = {};
    ctx.parameterWrite = parameterWrite;
    ctx.now = QDateTime(QDate(2026, 1, 2), QTime(8, 0));
    for (QueryState state : States) {
        const int expected = expectedLength(state, ctx);
        FUZZ_CHECK(expected <= registerblocks::ReceiveBufferSize);
        FUZZ_CHECK(request(state, ctx).isEmpty() == (expected < 0));
        if (expected >= 0)
            FUZZ_CHECK(isState(nextState(state, ctx)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    {
        FuzzInput table(data, size);
        checkTable(table);
    }

    const uint8_t kind = in.byte();
    EquipmentLink link;
    link.setZeta(kind & 1);
    link.setStringBox(kind & 2);
    link.setTpx(kind & 4);
    link.setNominalPower((kind & 8) ? 0.0 : 10000.0);
    link.setCommandsOpen(kind & 16);
    link.setMeasuresWindowOpen(kind & 32);
    link.StoreVersion(short(in.word()));
    if (kind & 64) {
        unsigned short wire[registerblocks::ParameterWords];
        for (unsigned short& w : wire)
            w = in.word();
        link.requestParameterSend(wire);
    }

    // At most 16 replies: enough for a cycle, short enough to stay fast.
    char reply[registerblocks::ReceiveBufferSize];
    for (int n = 0; n < 16 && !in.atEnd(); ++n) {
        link.setQueryState(States[in.byte() % StateCount]);
        const int length = in.word() % (2 * registerblocks::ReceiveBufferSize);
        const QByteArray bytes = in.take(size_t(length));
        // What the socket hands over: the bytes that fit, and the count of all.
        std::memcpy(reply, bytes.constData(), size_t(qMin(bytes.size(), int(sizeof reply))));
        link.takeReply(reply, bytes.size());
        FUZZ_CHECK(isState(link.queryState()));
        FUZZ_CHECK(link.pollInterval() > 0);
    }
    return 0;
}
