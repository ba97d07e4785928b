// The plant store read from its settings file: the input is the INI file.
// Whatever it holds, the store reads it, hands out whole entries of the
// plant asked for, and writes back six lists of one length when it merges
// or removes an equipment.
#include "fuzzinput.h"
#include "plantlists.h"
#include "plantstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const char* const Lists[6] = {"/app/Inverters/InvList",         "/app/Inverters/InvListNames",
                              "/app/Inverters/InvListDnsNames", "/app/Inverters/InvListVers",
                              "/app/Inverters/InvListPorts",    "/app/Inverters/InvListFtpPorts"};

// The six stored lists have one length, as the store writes them.
void checkAligned(const QString& path)
{
    QSettings settings(path, QSettings::IniFormat);
    const int n = plantlists::fromListText(settings.value(Lists[0]).toString()).size();
    for (const char* key : Lists)
        FUZZ_CHECK(plantlists::fromListText(settings.value(key).toString()).size() == n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory where the system offers it: the store syncs every write to disk.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/velora-fuzz-XXXXXX"
                                                       : QDir::tempPath() + "/velora-fuzz-XXXXXX");
    const QString path = dir.filePath("store.ini");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QSettings settings(path, QSettings::IniFormat);
    PlantStore store(&settings);
    store.load();
    QStringList plants = store.plantList;
    plants << QString(plantlists::LocalPlant);
    for (const QString& plant : plants) {
        for (const StoredEquipment& e : store.equipmentsOf(plant))
            FUZZ_CHECK(plantlists::keyBelongsToPlant(e.key, plant));
    }

    // A scan that found one more board, then its removal.
    QVector<StoredEquipment> shown = store.equipmentsOf(plantlists::LocalPlant);
    StoredEquipment added;
    added.key = "10.9.8.7-502-LOCAL";
    added.name = "Fuzz";
    added.dnsName = plantlists::NoDnsName;
    added.version = "1.5.0";
    shown.append(added);
    store.merge(shown);
    checkAligned(path);
    const int copies = store.invList.count(added.key);
    FUZZ_CHECK(copies >= 1);
    FUZZ_CHECK(store.remove(added.key));
    checkAligned(path);
    FUZZ_CHECK(store.invList.count(added.key) == copies - 1);
    return 0;
}
