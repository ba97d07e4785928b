#pragma once
// One logging category per module. Debug output is off by default and only
// warnings show; switch a module on with QT_LOGGING_RULES, for example
//   QT_LOGGING_RULES="velora.link.debug=true"
//   QT_LOGGING_RULES="velora.*.debug=true"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)       // velora.app: plant window, store, supervision
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery) // velora.discovery: UDP discovery and manual entry
Q_DECLARE_LOGGING_CATEGORY(lcLink)      // velora.link: Modbus TCP link of each equipment
Q_DECLARE_LOGGING_CATEGORY(lcTile)      // velora.tile: the equipment tile and its windows
Q_DECLARE_LOGGING_CATEGORY(lcLogSync)   // velora.logsync: FTP jobs of each equipment
Q_DECLARE_LOGGING_CATEGORY(lcFtp)       // velora.ftp: the FTP client
Q_DECLARE_LOGGING_CATEGORY(lcLogs)      // velora.logs: storage folders and log files
Q_DECLARE_LOGGING_CATEGORY(lcNetSetup)  // velora.netsetup: network setup of the boards
Q_DECLARE_LOGGING_CATEGORY(lcViews)     // velora.views: graphs, full screen, measures
