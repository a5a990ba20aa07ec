#include "app/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QUrl>

namespace {
const QByteArray kRaiseLine = "TQ_INTERFACE";
const QByteArray kOpenPrefix = "OPEN ";
// How long a later start waits for the lock's holder to answer (it may be
// between taking the lock and listening).
constexpr int kAnswerWaitMs = 5000;
constexpr char kBufferProperty[] = "tqPendingRequest";
}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lock_) lock_->unlock();
}

QString SingleInstance::defaultName() {
    return QStringLiteral("TQ_INTERFACE%1").arg(static_cast<qulonglong>(::getuid()));
}

// Beside the socket file, which QLocalServer puts into the temporary directory.
QString SingleInstance::lockFilePath() const {
    return QDir::cleanPath(QDir::tempPath() + QLatin1Char('/') + name_ + QStringLiteral(".lock"));
}

QByteArray SingleInstance::request(const QString& fileToOpen) {
    QByteArray lines = kRaiseLine + '\n';
    if (!fileToOpen.isEmpty()) lines += kOpenPrefix + QUrl::toPercentEncoding(fileToOpen) + '\n';
    return lines;
}

bool SingleInstance::anotherIsRunning(const QString& fileToOpen) {
    lock_ = std::make_unique<QLockFile>(lockFilePath());
    // Never stale by age: a lock whose process has ended is taken over anyway.
    lock_->setStaleLockTime(0);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (lock_->tryLock(0)) {
            listen();
            return false;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            // No lock possible (temporary directory not writable): fall back
            // to the socket alone and never remove it.
            lock_.reset();
            if (askRunningInstance(fileToOpen)) return true;
            listen();
            return false;
        }
        if (askRunningInstance(fileToOpen)) return true;
        // The holder runs but does not answer (yet): wait a little for it;
        // a holder that never answers is left alone.
        if (clock.elapsed() > kAnswerWaitMs) return true;
        QThread::msleep(20);
    }
}

bool SingleInstance::askRunningInstance(const QString& fileToOpen) {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (!probe.waitForConnected(200)) return false;
    probe.write(request(fileToOpen));
    probe.waitForBytesWritten(1000);
    probe.disconnectFromServer();
    if (probe.state() != QLocalSocket::UnconnectedState) probe.waitForDisconnected(1000);
    return true;
}

bool SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (server_->listen(name_)) return true;
    // Only the lock's holder gets here with a socket file in the way: it is
    // left over from a crashed instance.
    if (lock_) {
        QLocalServer::removeServer(name_);
        return server_->listen(name_);
    }
    return false;
}

bool SingleInstance::isListening() const { return server_ && server_->isListening(); }

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { takeLines(socket, false); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            takeLines(socket, true);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0) takeLines(socket, false);
    }
}

// Handles the complete request lines received so far (with `all`, also an
// unterminated last one).
void SingleInstance::takeLines(QLocalSocket* socket, bool all) {
    QByteArray pending = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    if (all && !pending.isEmpty() && !pending.endsWith('\n')) pending += '\n';
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        const QByteArray line = pending.left(end).trimmed();
        pending.remove(0, end + 1);
        if (line == kRaiseLine) {
            emit raiseRequested();
        } else if (line.startsWith(kOpenPrefix)) {
            const QString path = QUrl::fromPercentEncoding(line.mid(kOpenPrefix.size()));
            if (!path.isEmpty()) emit openRequested(path);
        }
    }
    socket->setProperty(kBufferProperty, pending);
}
