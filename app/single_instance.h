// One running instance per user. The first start takes a lock file and keeps
// it for its life, then listens on a local socket named for the user; a later
// start finds the lock taken, connects, asks the running instance to come to
// the front (and to open the file it was started with) and ends without a
// window. The lock makes the check and the listen one step, so of two starts
// at the same moment exactly one remains, and only the lock's holder ever
// removes a socket file (one left behind by a crashed instance).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultName();  // "TQ_INTERFACE" and the user id

    // True when another instance runs; it has been asked to come to the front
    // and to open `fileToOpen` (an absolute path) when that is not empty.
    // Otherwise this instance holds the lock and listens.
    bool anotherIsRunning(const QString& fileToOpen = QString());
    bool isListening() const;
    QString lockFilePath() const;

    // The request lines a later start sends (exposed for tests).
    static QByteArray request(const QString& fileToOpen);

signals:
    void raiseRequested();
    void openRequested(const QString& path);

private:
    bool listen();
    bool askRunningInstance(const QString& fileToOpen);
    void onNewConnection();
    void takeLines(QLocalSocket* socket, bool all);

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
