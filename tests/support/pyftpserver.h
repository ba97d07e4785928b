#pragma once
// Runs ftp_test_server.py (Debian's pyftpdlib) on 127.0.0.1 for the FTP tests
// and the benchmark; the server is killed with this object.
#include <QProcess>
#include <QSignalSpy>

struct PyFtpServer
{
    QProcess process;
    quint16 port = 0;
    // Serves root; extra: --masquerade ADDRESS, --throttle BYTES_PER_SECOND.
    bool start(const QString& root, const QStringList& extra = {})
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QSignalSpy output(&process, &QProcess::readyReadStandardOutput);
        process.start("/usr/bin/python3", QStringList{FTP_TEST_SERVER_SCRIPT, root} + extra);
        while (!process.canReadLine() && output.wait(20000))
            output.clear();
        port = quint16(process.readLine().mid(5).trimmed().toUInt()); // "PORT <n>"
        return port != 0;
    }
    ~PyFtpServer() { process.kill(), process.waitForFinished(); }
};
