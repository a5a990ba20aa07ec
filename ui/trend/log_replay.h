// Plays a recorded log through the live pipeline at 1x, 5x or 20x: every
// 125 ms of wall time the log advances by 125 ms times the speed and the
// last row reached is handed to the target (the view's fan-out: panel,
// lamps, alarm text and the Runtime page's chart).
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "runtime/log_reader.h"

class LogReplay : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 125;

    // `feed` receives each row's sample; it is called on this thread.
    LogReplay(const LogData& log, std::function<void(const RuntimeSample&)> feed, QObject* parent = nullptr);

    void start(double fromSeconds, int speed);
    void stop();
    bool running() const { return timer_.isActive(); }
    double position() const { return position_; }
    int speed() const { return speed_; }
    void setSpeed(int speed) { speed_ = speed; }

    // One tick, as the timer gives it (tests call it directly).
    void tick();

signals:
    void positionChanged(double seconds);
    void finished();

private:
    const LogData& log_;
    std::function<void(const RuntimeSample&)> feed_;
    QTimer timer_;
    double position_ = 0;
    int speed_ = 1;
};
