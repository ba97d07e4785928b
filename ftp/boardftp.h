#pragma once
// What every equipment board's file server offers the console: its fixed
// login, the folders of its logs and history files, and the name an uploaded
// firmware upgrade must carry.

namespace boardftp {

constexpr const char* User = "ftpuser";
constexpr const char* Password = "kvtrmzn";
// Daily logs "DP_...", totals logs "TOTALS_..." and "INV_" files.
constexpr const char* LogFolder = "applog";
// History files, copied into the storage folder's "hisram" folder.
constexpr const char* HistoryFolder = "hisram";
// The board's screen snapshot, in the login folder.
constexpr const char* SnapshotName = "snapshot.png";
// A firmware upgrade package is uploaded into the login folder under this name.
constexpr const char* UpgradeName = "Update.tgz";

} // namespace boardftp
