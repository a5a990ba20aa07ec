#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace {
const QByteArray kRaiseRequest = "TQ_INTERFACE\n";
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    return QStringLiteral("TQ_INTERFACE%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SingleInstance::anotherIsRunning() {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(200)) {
        probe.write(kRaiseRequest);
        probe.waitForBytesWritten(200);
        probe.disconnectFromServer();
        return true;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Nobody answered, so whatever holds the name is left over from a crash.
        QLocalServer::removeServer(name_);
        server_->listen(name_);
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return false;
}

bool SingleInstance::isListening() const { return server_ && server_->isListening(); }

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("TQ_INTERFACE")) emit raiseRequested();
        });
    }
}
