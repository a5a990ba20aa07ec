// "Trend": a recorded log as a zoomable chart of the 19 channels, with the
// cursor, the status markers, the step-response figures of a selected range
// and a replay through the live panel.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "runtime/channel_table.h"
#include "runtime/log_reader.h"
#include "runtime/step_response.h"
#include "runtime/trend_decimation.h"

struct GlobalSetup;
class LogReplay;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class TrendCanvas;

// Where a replay goes: the window asks before it starts and hands it the
// samples; `stateChanged` tells when it starts and ends.
struct ReplayTarget {
    std::function<bool(QString* why)> canStart;
    std::function<void(const RuntimeSample&)> feed;
    std::function<void(bool running, const QString& text)> stateChanged;
};

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    TrendWindow(const QString& path, LogData log, const GlobalSetup& setup, const ChannelTable& table,
                ReplayTarget target, QWidget* parent = nullptr);
    ~TrendWindow() override;

    const LogData& log() const { return *log_; }
    TrendCanvas* canvas() const { return canvas_; }
    LogReplay* replay() const { return replay_; }
    // Selects [from, to] seconds and shows its step figures.
    void selectRange(double from, double to);
    const StepResult& stepResult() const { return step_; }
    QString figuresText() const;
    bool saveImage(const QString& path) const;
    void startReplay(int speed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildChannelList();
    void updateFigures();
    void onReplayToggled(bool on);

    QString path_;
    std::unique_ptr<LogData> log_;
    std::unique_ptr<TrendIndex> index_;
    StepSeries series_;
    StepResult step_;
    ReplayTarget target_;
    TrendCanvas* canvas_ = nullptr;
    QListWidget* channels_ = nullptr;
    QLabel* figures_ = nullptr;
    QCheckBox* autoScale_ = nullptr;
    QPushButton* replayButton_ = nullptr;
    QComboBox* speed_ = nullptr;
    LogReplay* replay_ = nullptr;
};
