// One running instance per user: the first start listens on a local socket
// named for the user; a later start finds it, asks it to come to the front
// and ends without a window.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultName();  // "TQ_INTERFACE" and the user id

    // True when another instance answered; it has been asked to come to
    // the front. Otherwise this instance now listens (a stale socket left by
    // a crashed instance is removed first).
    bool anotherIsRunning();
    bool isListening() const;

signals:
    void raiseRequested();

private:
    void onNewConnection();

    QString name_;
    QLocalServer* server_ = nullptr;
};
