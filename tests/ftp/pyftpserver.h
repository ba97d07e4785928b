#pragma once
// Starts the Debian pyftpdlib server (ftp_test_server.py) on 127.0.0.1 for
// the FTP client's tests and benchmark, and stops it again.

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

class PyFtpServer
{
public:
    static QString python() { return QStringLiteral("/usr/bin/python3"); }

    // True when Debian's python3-pyftpdlib can run.
    static bool available()
    {
        if (!QFileInfo(python()).isExecutable())
            return false;
        QProcess p;
        p.start(python(), {"-c", "import pyftpdlib"});
        return runUntilFinished(p, 15000) && p.error() == QProcess::UnknownError &&
               p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    ~PyFtpServer() { stop(); }

    // Serves root; extra options as in the script (--masquerade, --throttle).
    bool start(const QString& script, const QString& root, const QStringList& extra = {})
    {
        stop();
        m_output.clear();
        m_port = 0;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PYTHONDONTWRITEBYTECODE", "1");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(python(), QStringList{script, "--root", QDir(root).absolutePath()} + extra);
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
        QObject::connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        timer.start(20000);
        static const QRegularExpression rx(QStringLiteral("PORT (\\d+)"));
        while (timer.isActive() && m_process.state() != QProcess::NotRunning) {
            m_output += m_process.readAllStandardOutput();
            const QRegularExpressionMatch m = rx.match(QString::fromLatin1(m_output));
            if (m.hasMatch()) {
                m_port = quint16(m.captured(1).toUInt());
                return true;
            }
            loop.exec();
        }
        return false;
    }

    quint16 port() const { return m_port; }

    // SIGKILL: the server vanishes without a goodbye.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        runUntilFinished(m_process, 10000);
    }

    void stop() { kill(); }

private:
    static bool runUntilFinished(QProcess& p, int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        QObject::connect(&p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        if (p.state() != QProcess::NotRunning)
            loop.exec();
        return p.state() == QProcess::NotRunning;
    }

    QProcess m_process;
    QByteArray m_output;
    quint16 m_port = 0;
};
