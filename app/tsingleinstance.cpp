#include "app/tsingleinstance.h"

#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

namespace kelmor {

namespace {
constexpr char kAcknowledge = '\x06';
constexpr int kReceiveTimeoutMs = 3000;
}  // namespace

TSingleInstance::TSingleInstance(QObject* parent) : QObject(parent) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::ServerName() {
    QString name = QStringLiteral("KELMORMANAGER") + QString::number(getuid());
    const QString tag = qEnvironmentVariable("KELMOR_INSTANCE_TAG");
    if (!tag.isEmpty()) name += QLatin1Char('-') + tag;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(name);
    return name;
}

QByteArray TSingleInstance::EncodeText(const QString& text) {
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() > kBlockSize - 1) {
        // Cut whole characters only, so the receiver never sees half of one.
        QString cut = text;
        while (!cut.isEmpty() && cut.toLocal8Bit().size() > kBlockSize - 1) cut.chop(1);
        bytes = cut.toLocal8Bit();
    }
    bytes.append('\0');
    return bytes;
}

bool TSingleInstance::HandOver(const QString& serverName, const QString& text, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(EncodeText(text));
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running instance answers once it has the text.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAcknowledge;
}

bool TSingleInstance::Listen(const QString& serverName) {
    // Two starts at the same moment must not both take the name: only one at a time
    // probes and creates the socket.
    QLockFile lock(QDir::temp().filePath(QFileInfo(serverName).fileName() + QStringLiteral(".lock")));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(5000);

    bool listening = false;
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (!probe.waitForConnected(500)) {
        // Nobody answers: a socket left by an instance that did not end cleanly goes.
        QLocalServer::removeServer(serverName);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        listening = server_->listen(serverName);
    }
    if (locked) lock.unlock();
    if (!listening) {
        delete server_;
        server_ = nullptr;
        return false;  // another instance answers, or no socket can be made here
    }
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnection);
    return true;
}

bool TSingleInstance::IsListening() const { return server_ && server_->isListening(); }

void TSingleInstance::AcceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        auto done = std::make_shared<bool>(false);
        QPointer<QLocalSocket> guarded(socket);
        auto finish = [this, socket, buffer, done](bool complete) {
            if (*done) return;
            *done = true;
            if (complete) {
                socket->write(&kAcknowledge, 1);
                socket->flush();
                // Never past the block, and only up to the first zero byte.
                const qsizetype end = buffer->indexOf('\0');
                const QByteArray text = buffer->left(end < 0 ? kBlockSize - 1 : end);
                emit TextReceived(QString::fromLocal8Bit(text));
            }
            socket->disconnectFromServer();
            socket->deleteLater();
        };
        connect(socket, &QLocalSocket::readyRead, this, [socket, buffer, finish] {
            const QByteArray more = socket->read(kBlockSize - buffer->size());
            buffer->append(more);
            if (buffer->contains('\0') || buffer->size() >= kBlockSize) finish(true);
            else if (socket->bytesAvailable() > 0) socket->readAll();  // beyond the block: dropped
        });
        connect(socket, &QLocalSocket::disconnected, this, [finish] { finish(false); });
        QTimer::singleShot(kReceiveTimeoutMs, this, [guarded, finish] {
            if (guarded) finish(false);
        });
        if (socket->bytesAvailable() > 0) emit socket->readyRead();
    }
}

}  // namespace kelmor
