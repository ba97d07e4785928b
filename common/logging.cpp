#include "logging.h"

Q_LOGGING_CATEGORY(lcApp, "velora.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDiscovery, "velora.discovery", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLink, "velora.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTile, "velora.tile", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLogSync, "velora.logsync", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFtp, "velora.ftp", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLogs, "velora.logs", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNetSetup, "velora.netsetup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcViews, "velora.views", QtWarningMsg)
