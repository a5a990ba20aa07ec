// The window's side of the runtime fan-out: every call arrives on the serial
// worker thread and is re-emitted as a signal that the receivers connect
// with Qt::QueuedConnection, so the UI thread sees the calls in their order.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>

#include "runtime/runtime_sink.h"

class QueuedRuntimeSink : public QObject, public RuntimeSink {
    Q_OBJECT
public:
    explicit QueuedRuntimeSink(QObject* parent = nullptr) : QObject(parent) {}

    void panelText(PanelField field, const std::string& text) override {
        emit panelTextChanged(static_cast<int>(field), QString::fromStdString(text));
    }
    void statusText(const std::string& text) override {
        emit statusTextChanged(QString::fromStdString(text));
    }
    void versionText(const std::string& text) override {
        emit versionTextChanged(QString::fromStdString(text));
    }
    void lampFlash(PanelLamp lamp, int ms) override { emit lampFlashed(static_cast<int>(lamp), ms); }
    void graphValues(const GraphValues& values) override { emit graphValuesReady(values); }
    void alarmText(const std::string& text) override { emit alarmTextChanged(QString::fromStdString(text)); }
    bool hasAlarmPage() const override { return alarmPage_.load(); }
    void alarmPageLamps(const AlarmLamps& lamps, int ms) override {
        emit alarmPageLampsFlashed(QString::fromStdString(lamps.to_string()), ms);
    }

    void setHasAlarmPage(bool exists) { alarmPage_.store(exists); }

signals:
    void panelTextChanged(int field, const QString& text);
    void statusTextChanged(const QString& text);
    void versionTextChanged(const QString& text);
    void lampFlashed(int lamp, int ms);
    void graphValuesReady(const GraphValues& values);
    void alarmTextChanged(const QString& text);
    void alarmPageLampsFlashed(const QString& lampBits, int ms);

private:
    std::atomic<bool> alarmPage_{false};
};
