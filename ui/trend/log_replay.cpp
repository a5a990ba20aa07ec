#include "ui/trend/log_replay.h"

LogReplay::LogReplay(const LogData& log, std::function<void(const RuntimeSample&)> feed, QObject* parent)
    : QObject(parent), log_(log), feed_(std::move(feed)) {
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &LogReplay::tick);
}

void LogReplay::start(double fromSeconds, int speed) {
    speed_ = speed;
    position_ = fromSeconds;
    if (log_.rowCount() == 0) return;
    timer_.start();
    tick();
}

void LogReplay::stop() {
    if (!timer_.isActive()) return;
    timer_.stop();
    emit finished();
}

void LogReplay::tick() {
    const std::size_t rows = log_.rowCount();
    if (rows == 0) return stop();
    // The last row at or before the position.
    std::size_t row = log_.rowAtOrAfter(position_);
    if (row >= rows || log_.seconds(row) > position_) row = row > 0 ? row - 1 : 0;
    feed_(log_.sample(row));
    emit positionChanged(position_);
    if (row + 1 >= rows) return stop();
    position_ += kTickMs / 1000.0 * speed_;
}
