#pragma once
// One line per event on standard output, flushed at once so that a test or an
// operator reading the pipe sees it immediately.

#include <QString>

// An event line (request, connection, transfer, fault...); left out when quiet.
void simLog(const QString& line);
// A line that is always printed: BOARD/READY, answers to commands, errors.
void simSay(const QString& line);
// Quiet mode keeps only the simSay lines.
void setSimLogQuiet(bool quiet);
