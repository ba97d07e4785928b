#pragma once
// Asynchronous FTP client (passive mode only) with the command-queue interface
// the console's log synchronisation, upgrade upload and daily graph use.
//
// Every call queues a command and returns its id; commands run one after the
// other on the event loop. Each command emits commandStarted(id) and then
// commandFinished(id, error); done(error) follows when the queue has run dry.
// A failed command clears the commands queued behind it. Nothing here blocks
// and nothing here times out: the caller runs its own activity timers.

#include "ftpentry.h"
#include "ftpreplyparser.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QIODevice;
class QTcpSocket;

class FtpClient : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        Unconnected,
        HostLookup,
        Connecting,
        Connected,
        LoggedIn,
        Closing
    };
    Q_ENUM(State)
    enum Error
    {
        NoError,
        UnknownError,
        HostNotFound,
        ConnectionRefused,
        NotConnected
    };
    Q_ENUM(Error)
    enum Command
    {
        None,
        SetTransferMode,
        SetProxy,
        ConnectToHost,
        Login,
        Close,
        List,
        Cd,
        Get,
        Put,
        Remove,
        Mkdir,
        Rmdir,
        Rename,
        RawCommand
    };
    Q_ENUM(Command)
    enum TransferType
    {
        Binary,
        Ascii
    };
    Q_ENUM(TransferType)

    explicit FtpClient(QObject* parent = nullptr);
    ~FtpClient() override;

    int connectToHost(const QString& host, quint16 port = 21);
    // An empty user logs in as "anonymous".
    int login(const QString& user = QString(), const QString& password = QString());
    int cd(const QString& dir);
    // Emits listInfo() once per entry; an empty dir lists the current folder.
    // Entries whose name is not a plain file name ("/", "\\", NUL, CR, LF,
    // "." or "..", a drive prefix, over 255 bytes) are skipped, never emitted.
    int list(const QString& dir = QString());
    // Writes the file into dev (opened write-only when not yet open); without
    // a device the data is kept for read()/readAll() and readyRead() is emitted.
    int get(const QString& file, QIODevice* dev = nullptr, TransferType type = Binary);
    int put(const QByteArray& data, const QString& file, TransferType type = Binary);
    // Sends QUIT and drops the connection.
    int close();
    // Stops the running command: ABOR to the server, the data connection
    // dropped, the queue cleared. The command then finishes with the error
    // "Aborted" from the event loop, never inside this call. Commands queued
    // afterwards wait for the server's answers to the ABOR; close() does not.
    void abort();

    int currentId() const;
    Command currentCommand() const;
    bool hasPendingCommands() const;
    void clearPendingCommands();

    State state() const { return m_state; }
    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

    // Data of a get() without a device.
    qint64 bytesAvailable() const { return m_readBuffer.size(); }
    qint64 read(char* data, qint64 maxlen);
    QByteArray readAll();

signals:
    void stateChanged(int state);
    void listInfo(const FtpEntry& entry);
    void readyRead();
    void dataTransferProgress(qint64 done, qint64 total);
    void commandStarted(int id);
    void commandFinished(int id, bool error);
    void done(bool error);

private:
    enum Step
    {
        StepIdle,
        StepConnecting,
        StepGreeting,
        StepUser,
        StepPass,
        StepCwd,
        StepType,
        StepSize,
        StepPasv,
        StepTransfer,
        StepQuit
    };

    struct Pending
    {
        int id = 0;
        Command command = None;
        QString arg1;
        QString arg2;
        quint16 port = 0;
        QPointer<QIODevice> device;
        QByteArray data;
        TransferType type = Binary;
    };

    int addCommand(Pending c);
    void scheduleStart();
    void startNext();
    void startTransfer();
    void sendPasv();
    void send(Step step, const QString& line);
    void handleReply(const FtpReply& reply);
    void handlePasvReply(const FtpReply& reply);
    void handleTransferReply(const FtpReply& reply);
    void checkTransferDone();
    void startUpload();
    void finishCurrent(bool error, Error code = NoError, const QString& text = QString(),
                       bool clearQueue = true);
    void fail(const QString& text, Error code = UnknownError) { finishCurrent(true, code, text); }
    void failTransfer(const QString& text);
    void sendAbort();
    void setState(State s);
    void closeData();
    void closeControl();
    void connectionLost(const QString& text);
    QString failurePrefix() const;
    bool isControlConnected() const;

    void onControlHostFound();
    void onControlConnected();
    void onControlReadyRead();
    void onControlDisconnected();
    void onControlError();
    void onDataConnected();
    void onDataReadyRead();
    void onDataDisconnected();
    void onDataError();
    void onDataBytesWritten(qint64 bytes);
    void processListLine(const QByteArray& raw);

    QTcpSocket* m_control = nullptr;
    QTcpSocket* m_data = nullptr;
    FtpReplyParser m_replies;
    FtpLineBuffer m_listLines;

    QList<Pending> m_queue; // the first one runs when m_running
    bool m_running = false;
    bool m_startScheduled = false;
    int m_lastId = 0;
    Step m_step = StepIdle;
    bool m_awaitingReply = false; // a command was sent and its final reply is due
    int m_discardReplies = 0;     // final replies still due after an ABOR
    char m_serverType = 0;        // TYPE last accepted by the server ('A', 'I')

    State m_state = Unconnected;
    Error m_error = NoError;
    QString m_errorString;
    bool m_doneError = false;

    // The running transfer.
    qint64 m_bytesDone = 0;
    qint64 m_bytesTotal = 0;
    bool m_transferStarted = false; // 1xx reply seen
    bool m_uploadStarted = false;
    bool m_replyDone = false; // 2xx reply of the transfer command seen
    bool m_dataEnded = false; // the data connection has closed
    QByteArray m_readBuffer;
    QByteArray m_chunk; // download buffer, reused
};
