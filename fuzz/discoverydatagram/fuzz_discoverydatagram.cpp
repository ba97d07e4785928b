// Discovery datagrams as the plant window hears them during one scan: a run
// of records, each a sender address and a datagram, read by the scan's
// filter. An accepted reply comes from the address it advertises, carries
// texts the stored lists can hold, and no scan adds more than its allowance.
#include "discoverydatagram.h"
#include "fuzzinput.h"
#include "plantlists.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    DiscoveryScanFilter filter;
    QSet<QString> known;
    while (!in.atEnd()) {
        const QHostAddress sender(in.word32());
        // Mostly replies of the one accepted size, sometimes any other.
        const uint8_t kind = in.byte();
        const int length = kind < 0xC0 ? DiscoveryDatagram::ReplySize : int(in.word() % 1500);
        const QByteArray datagram = in.take(size_t(length));

        DiscoveryReply reply;
        const DiscoveryScanFilter::Verdict verdict = filter.check(datagram, sender, &reply);
        FUZZ_CHECK((verdict == DiscoveryScanFilter::Malformed) ==
                   !DiscoveryDatagram::parseReply(datagram).has_value());
        if (verdict != DiscoveryScanFilter::Accepted)
            continue;
        FUZZ_CHECK(QHostAddress(reply.ip).isEqual(sender));
        FUZZ_CHECK(reply.kind == 2 || reply.kind == 3);
        // The texts become elements of the stored lists and parts of the key.
        for (const QString& text : {reply.ip, reply.name, reply.version})
            FUZZ_CHECK(!text.isEmpty() && !text.contains(QLatin1Char(',')));
        FUZZ_CHECK(!reply.ip.contains(QLatin1Char('-')));
        FUZZ_CHECK(plantlists::keyAddress(plantlists::equipmentKey(reply.ip, plantlists::NoDnsName, 502,
                                                                   plantlists::LocalPlant)) == reply.ip);
        if (!known.contains(reply.ip) && reply.ip != QLatin1String(plantlists::FactoryAddress) &&
            filter.takeNewEquipment())
            known.insert(reply.ip);
        FUZZ_CHECK(filter.added() <= DiscoveryScanFilter::MaxNewPerScan);
        FUZZ_CHECK(known.size() == filter.added());
    }
    filter.closeScan();
    FUZZ_CHECK(filter.added() == 0 && filter.spoofed() == 0);
    return 0;
}
