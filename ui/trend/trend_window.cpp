#include "ui/trend/trend_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/global_setup.h"
#include "runtime/log_format.h"
#include "runtime/log_series.h"
#include "ui/help/help_coverage.h"
#include "ui/help/whats_this.h"
#include "ui/tq_interface_view.h"
#include "ui/trend/log_replay.h"
#include "ui/trend/trend_canvas.h"

namespace {

QString secondsText(const std::optional<double>& v) {
    return v ? QString::number(*v, 'f', 2) + QStringLiteral(" s") : QStringLiteral("not reached");
}

// Opened by File > Open log...: built here on a short log of a few rows.
const HelpCoverageRegistrar kCoverage{"TrendWindow", [](CTQ_InterfaceView& v) -> QWidget* {
    std::tm start{};
    start.tm_year = 126;
    start.tm_mday = 1;
    std::string text = logHeader(start, "TQ-REG");
    RuntimeSample sample{};
    for (int i = 0; i < 4; ++i) {
        sample.gTsCnt = static_cast<decltype(sample.gTsCnt)>(i);
        text += logRow(sample);
    }
    text += logFooter(start);
    LogReadResult read = readLogText(text.data(), text.size());
    return new TrendWindow(QStringLiteral("coverage.txt"), std::move(read.data), v.setup(), ChannelTable(), {}, &v);
}};

}  // namespace

TrendWindow::TrendWindow(const QString& path, LogData log, const GlobalSetup& setup, const ChannelTable& table,
                         ReplayTarget target, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path), log_(std::make_unique<LogData>(std::move(log))),
      target_(std::move(target)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Trend - %1").arg(QFileInfo(path).fileName()));
    index_ = std::make_unique<TrendIndex>(*log_);
    series_ = stepSeriesOf(*log_);

    canvas_ = new TrendCanvas(this);
    TrendState& s = canvas_->state();
    s.log = log_.get();
    s.index = index_.get();
    s.background = colourOf(setup.colorBackground);
    s.grid = colourOf(setup.colorGrid);
    s.penWidth = std::clamp(setup.penSize, 1, 10);
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        TrendChannel& c = s.channels[ch];
        c.name = QString::fromLatin1(GraphChannels()[ch].name);
        c.colour = colourOf(setup.channelColors[ch]);
        c.enabled = table[ch].enabled;
        c.min = table[ch].min;
        c.max = table[ch].max;
        c.column = logColumnOfChannel(ch);
    }
    s.zoomToFit();

    auto* fit = new QPushButton(QStringLiteral("Zoom to fit"), this);
    autoScale_ = new QCheckBox(QStringLiteral("Scale each channel to its own range"), this);
    autoScale_->setChecked(true);
    auto* save = new QPushButton(QStringLiteral("Save image..."), this);
    replayButton_ = new QPushButton(QStringLiteral("Replay"), this);
    replayButton_->setCheckable(true);
    speed_ = new QComboBox(this);
    speed_->addItem(QStringLiteral("1x"), 1);
    speed_->addItem(QStringLiteral("5x"), 5);
    speed_->addItem(QStringLiteral("20x"), 20);

    auto* tools = new QHBoxLayout;
    tools->addWidget(fit);
    tools->addWidget(autoScale_);
    tools->addStretch();
    tools->addWidget(replayButton_);
    tools->addWidget(speed_);
    tools->addWidget(save);

    channels_ = new QListWidget(this);
    buildChannelList();
    figures_ = new QLabel(this);
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_->setWordWrap(true);
    figures_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    figures_->setFont(mono);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("Channels"), side));
    sideLayout->addWidget(channels_, 2);
    sideLayout->addWidget(new QLabel(QStringLiteral("Step response (Tr1 against Sp1)"), side));
    sideLayout->addWidget(figures_, 1);

    auto* split = new QSplitter(this);
    split->addWidget(canvas_);
    split->addWidget(side);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);

    const std::size_t blocks = log_->blocks().size();
    auto* info = new QLabel(
        QStringLiteral("%1 rows in %2 block(s)%3. Time: the sample counter at 20 lines/s from each START line. "
                       "Wheel: zoom; drag: pan; Shift+drag or right drag: select a step; double-click: fit.")
            .arg(log_->rowCount())
            .arg(blocks)
            .arg(log_->badRows() ? QStringLiteral(", %1 rows not read").arg(log_->badRows()) : QString()),
        this);
    info->setWordWrap(true);

    setHelpText(canvas_, "Trend\n\nThe recorded channels against time in seconds. Wheel: zoom the time axis "
                         "around the mouse. Drag: pan. Shift+drag or right drag: select a range (a set-point step) "
                         "for the figures at the right. Double-click: zoom to fit. Dashed markers show where the "
                         "status changed, with the alarm text.");
    setHelpText(fit, "Zoom to fit\n\nShows the whole log.");
    setHelpText(autoScale_, "Scale each channel to its own range\n\nWhen checked, each channel fills the height "
                            "between its own lowest and highest value in the log. When not, each is drawn between "
                            "the Min and Max of the default channel table.");
    setHelpText(replayButton_, "Replay\n\nPlays the log through the status panel and the Runtime graph, from "
                               "the selected range or the left edge of the chart, at the speed at the right. Refused "
                               "while connected to the regulator. Click again to stop.");
    setHelpText(speed_, "Replay speed\n\n1x plays the log in real time, 5x and 20x faster.");
    setHelpText(save, "Save image...\n\nWrites the chart as shown into a PNG file.");
    setHelpText(channels_, "Channels\n\nCheck a channel to draw it. Channels the log file does not hold are "
                           "marked \"not logged\".");
    setHelpText(figures_, "Step response\n\nFigures of the selected range, Tr1 against the set point Sp1: the "
                          "step, rise time, overshoot in percent, settling time within the band, steady error and "
                          "noise.");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(split, 1);
    layout->addWidget(info);
    resize(1100, 620);

    replay_ = new LogReplay(*log_, [this](const RuntimeSample& sample) {
        if (target_.feed) target_.feed(sample);
    }, this);
    connect(replay_, &LogReplay::positionChanged, this, [this](double t) {
        canvas_->state().cursor = t;
        canvas_->update();
    });
    connect(replay_, &LogReplay::finished, this, [this] {
        replayButton_->setChecked(false);
        if (target_.stateChanged) target_.stateChanged(false, QString());
    });

    connect(fit, &QPushButton::clicked, this, [this] {
        canvas_->state().zoomToFit();
        canvas_->update();
    });
    connect(autoScale_, &QCheckBox::toggled, this, [this](bool on) {
        canvas_->state().autoScale = on;
        canvas_->update();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save image"),
                                                          QFileInfo(path_).completeBaseName() + QStringLiteral(".png"),
                                                          QStringLiteral("PNG image (*.png)"));
        if (!name.isEmpty() && !saveImage(name))
            QMessageBox::warning(this, QStringLiteral("TQ_Interface"), QStringLiteral("Unable to save \"%1\".").arg(name));
    });
    connect(replayButton_, &QPushButton::toggled, this, &TrendWindow::onReplayToggled);
    connect(canvas_, &TrendCanvas::selectionChanged, this, &TrendWindow::updateFigures);
    updateFigures();
}

// Closed with its owner: the owner is going away, so it is not told.
TrendWindow::~TrendWindow() {
    replay_->blockSignals(true);
    replay_->stop();
}

void TrendWindow::buildChannelList() {
    const TrendState& s = canvas_->state();
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        const TrendChannel& c = s.channels[ch];
        auto* item = new QListWidgetItem(c.column == LogColumn::Count ? c.name + QStringLiteral(" (not logged)") : c.name,
                                         channels_);
        item->setForeground(c.colour);
        item->setBackground(s.background);
        item->setFlags(c.column == LogColumn::Count ? Qt::ItemIsUserCheckable
                                                    : Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(c.enabled ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(QString::fromLatin1(GraphChannels()[ch].description));
    }
    connect(channels_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        canvas_->state().channels[channels_->row(item)].enabled = item->checkState() == Qt::Checked;
        canvas_->update();
    });
}

void TrendWindow::selectRange(double from, double to) {
    canvas_->state().selection = std::make_pair(std::min(from, to), std::max(from, to));
    canvas_->update();
    updateFigures();
}

void TrendWindow::updateFigures() {
    const auto& sel = canvas_->state().selection;
    if (!sel) {
        step_ = StepResult{};
        figures_->setText(QStringLiteral("Select a range around a set-point change\n(Shift+drag or right drag)."));
        return;
    }
    step_ = analyseStep(series_, sel->first, sel->second);
    figures_->setText(figuresText());
}

QString TrendWindow::figuresText() const {
    if (!step_.ok) return QString::fromStdString(step_.error);
    const StepFigures& f = step_.figures;
    return QStringLiteral("Step       %1 -> %2\n           at %3 s\nRise time  %4\nOvershoot  %5 %\n"
                          "Settling   %6\n           (band %7)\nSteady err %8\nNoise      %9")
        .arg(QString::number(f.from, 'f', 2), QString::number(f.to, 'f', 2), QString::number(f.stepTime, 'f', 2),
             secondsText(f.riseTime), QString::number(f.overshootPercent, 'f', 1), secondsText(f.settlingTime),
             QString::number(f.band, 'f', 3), QString::number(f.steadyError, 'f', 3),
             QString::number(f.noise, 'f', 3));
}

bool TrendWindow::saveImage(const QString& path) const {
    return canvas_->renderImage(canvas_->size().expandedTo(QSize(640, 360))).save(path, "PNG");
}

void TrendWindow::startReplay(int speed) {
    const int index = speed_->findData(speed);
    if (index >= 0) speed_->setCurrentIndex(index);
    replayButton_->setChecked(true);
}

void TrendWindow::onReplayToggled(bool on) {
    if (!on) {
        replay_->stop();
        return;
    }
    QString why;
    if (target_.canStart && !target_.canStart(&why)) {
        QMessageBox::information(this, QStringLiteral("TQ_Interface"), why);
        QSignalBlocker block(replayButton_);
        replayButton_->setChecked(false);
        return;
    }
    const auto& sel = canvas_->state().selection;
    const double from = sel ? sel->first : std::max(0.0, canvas_->state().t0);
    const int speed = speed_->currentData().toInt();
    if (target_.stateChanged)
        target_.stateChanged(true, QStringLiteral("Replay of %1 at %2x").arg(QFileInfo(path_).fileName()).arg(speed));
    replay_->start(from, speed);
}

void TrendWindow::closeEvent(QCloseEvent* event) {
    replay_->stop();
    QWidget::closeEvent(event);
}
