// SIGTERM, SIGINT and SIGHUP as an orderly exit: the handler only writes the
// signal number into a pipe; a socket notifier reads it in the event loop,
// where the program stops its log, closes the port and saves its settings.
// After the first signal the default action is back, so a second Ctrl+C ends
// a program that hangs on its way out.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One at a time: installs the handlers; the destructor restores the defaults.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return notifier_ != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* notifier_ = nullptr;
};
