#pragma once
// One line per event on standard output, flushed at once so that a test or an
// operator reading the pipe sees it immediately.

#include <QString>

void simLog(const QString& line);
