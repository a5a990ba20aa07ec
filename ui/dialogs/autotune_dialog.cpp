#include "ui/dialogs/autotune_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/connection_manager.h"
#include "params/register_io_serial.h"
#include "runtime/panel_texts.h"
#include "tuning/serial_tuning_link.h"
#include "ui/help/whats_this.h"
#include "ui/widgets/numeric_entry.h"

namespace {

constexpr int kPollMs = 100;
constexpr std::size_t kMaxTracePoints = 40000;   // over half an hour at 20 samples a second
constexpr double kTraceLinesPerSecond = 20.0;     // the regulator streams 20 lines a second

QString text(const std::string& s) { return QString::fromStdString(s); }

// The serial tuning link that also hands every sample to the dialog's view.
class ViewedTuningLink : public tuning::TuningLink {
public:
    using Sink = std::function<void(const RuntimeSample&)>;
    ViewedTuningLink(SerialManager& link, Sink sink) : serial_(link), sink_(std::move(sink)) {}
    bool isOpen() const override { return serial_.isOpen(); }
    int startStream() override { return serial_.startStream(); }
    int stopStream() override { return serial_.stopStream(); }
    int startRegulator() override { return serial_.startRegulator(); }
    int stopRegulator() override { return serial_.stopRegulator(); }
    std::optional<RuntimeSample> nextSample(double seconds) override {
        std::optional<RuntimeSample> s = serial_.nextSample(seconds);
        if (s) sink_(*s);
        return s;
    }
    void dropSamples() override { serial_.dropSamples(); }

private:
    tuning::SerialTuningLink serial_;
    Sink sink_;
};

}  // namespace

AutotuneDialog::AutotuneDialog(ConnectionManager& connection, ParameterSet& document, bool celsius,
                               std::function<void()> markModified, std::function<void()> downloadAndVerify,
                               QWidget* parent)
    : QDialog(parent),
      connection_(connection),
      document_(document),
      celsius_(celsius),
      markModified_(std::move(markModified)),
      downloadAndVerify_(std::move(downloadAndVerify)),
      model_(document, celsius) {
    setWindowTitle(QStringLiteral("Auto-tune"));
    buildLayout();
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &AutotuneDialog::poll);
    connect(buttons_[Start], &QPushButton::clicked, this, &AutotuneDialog::startRun);
    connect(buttons_[Apply], &QPushButton::clicked, this, [this] { applyToDocument(false); });
    connect(buttons_[ApplyDownload], &QPushButton::clicked, this, [this] { applyToDocument(true); });
    connect(buttons_[Close], &QPushButton::clicked, this, &AutotuneDialog::reject);
    AutotuneTrace empty;   // the scales of the defaults until a run starts
    empty.operatingPoint = numeric_entry::parse(entries_[AutotuneModel::SetPoint]->text());
    empty.outputLimit = numeric_entry::parse(entries_[AutotuneModel::MaxPower]->text());
    chart_->setTrace(empty);
    showConstants();
    updateEnabled();
}

AutotuneDialog::~AutotuneDialog() { stopRun(); }

// A longer result wraps onto more lines: the dialog grows so that the
// table below it keeps its three rows in sight.
void AutotuneDialog::showResult(const QString& message) {
    result_->setText(message);
    layout()->activate();
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalSizeHint().height();
    if (needed > height()) resize(width(), needed);
}

void AutotuneDialog::buildLayout() {
    auto* settings = new QGroupBox(QStringLiteral("Experiment"), this);
    auto* form = new QFormLayout(settings);
    for (int i = 0; i < AutotuneModel::EntryCount; ++i) {
        const auto e = static_cast<AutotuneModel::Entry>(i);
        entries_[i] = new NumericEdit(settings);
        entries_[i]->setText(text(model_.defaults()[i]));
        entries_[i]->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-000.000")) + 16);
        auto* row = new QHBoxLayout;
        row->addWidget(entries_[i]);
        row->addWidget(new QLabel(QString::fromUtf8(model_.unit(e)), settings));
        row->addStretch();
        form->addRow(QString::fromLatin1(AutotuneModel::label(e)) + QLatin1Char(':'), row);
    }
    rule_ = new QComboBox(settings);
    rule_->addItem(QStringLiteral("gentle"), static_cast<int>(tuning::TuningRule::Gentle));
    rule_->addItem(QStringLiteral("normal"), static_cast<int>(tuning::TuningRule::Normal));
    form->addRow(QStringLiteral("Aggressiveness:"), rule_);

    auto* run = new QGroupBox(QStringLiteral("Run"), this);
    auto* runLayout = new QVBoxLayout(run);
    chart_ = new AutotuneChart(run);
    progress_ = new QLabel(QStringLiteral("Not started"), run);
    progress_->setTextFormat(Qt::PlainText);
    runLayout->addWidget(chart_, 1);
    runLayout->addWidget(progress_);

    auto* resultGroup = new QGroupBox(QStringLiteral("Result"), this);
    auto* resultLayout = new QVBoxLayout(resultGroup);
    result_ = new QLabel(resultGroup);
    result_->setTextFormat(Qt::PlainText);
    result_->setWordWrap(true);
    // Room for a refusal or a result of four lines from the start, so that
    // the table below keeps its three rows in sight.
    result_->setMinimumHeight(4 * result_->fontMetrics().lineSpacing());
    result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    table_ = new QTableWidget(3, 3, resultGroup);
    table_->setHorizontalHeaderLabels({QStringLiteral("Constant"), QStringLiteral("Document"), QStringLiteral("Proposed")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    int headerWidth = 0;
    for (const QString& h : {QStringLiteral("Constant"), QStringLiteral("Document"), QStringLiteral("Proposed")})
        headerWidth += table_->horizontalHeader()->fontMetrics().horizontalAdvance(h) + 4 * fontMetrics().averageCharWidth();
    table_->setMinimumWidth(headerWidth + 2 * table_->frameWidth());
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() + 3 * table_->verticalHeader()->defaultSectionSize() + 4);
    resultLayout->addWidget(result_);
    resultLayout->addWidget(table_);

    buttons_[Start] = new QPushButton(QStringLiteral("&Start"), this);
    buttons_[Apply] = new QPushButton(QStringLiteral("Apply to &document"), this);
    buttons_[ApplyDownload] = new QPushButton(QStringLiteral("Apply and do&wnload"), this);
    buttons_[Close] = new QPushButton(QStringLiteral("Close"), this);
    buttons_[Start]->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(buttons_[Start]);
    buttonRow->addStretch();
    buttonRow->addWidget(buttons_[Apply]);
    buttonRow->addWidget(buttons_[ApplyDownload]);
    buttonRow->addWidget(buttons_[Close]);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(settings);
    left->addWidget(resultGroup);
    top->addLayout(left);
    top->addWidget(run, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow);

    setTabOrder(entries_[AutotuneModel::SetPoint], entries_[AutotuneModel::MaxPower]);
    setTabOrder(entries_[AutotuneModel::MaxPower], entries_[AutotuneModel::Band]);
    setTabOrder(entries_[AutotuneModel::Band], entries_[AutotuneModel::TimeLimit]);
    setTabOrder(entries_[AutotuneModel::TimeLimit], rule_);
    setTabOrder(rule_, buttons_[Start]);
    setTabOrder(buttons_[Start], buttons_[Apply]);
    setTabOrder(buttons_[Apply], buttons_[ApplyDownload]);
    setTabOrder(buttons_[ApplyDownload], buttons_[Close]);

    setHelpText(entries_[AutotuneModel::SetPoint],
                "Operating point\n\nThe temperature the regulator holds during the experiment (St1 of the "
                "document by default). Its on/off output switches around it.");
    setHelpText(entries_[AutotuneModel::MaxPower],
                "Output limit\n\nThe output the experiment switches on and off, in per cent. It is never "
                "exceeded; a larger one gives a clearer oscillation but a larger swing.");
    setHelpText(entries_[AutotuneModel::Band],
                "Band\n\nThe experiment stops at once, and restores the regulator, when Tr1 leaves the "
                "operating point by more than this.");
    setHelpText(entries_[AutotuneModel::TimeLimit],
                "Time limit\n\nThe longest the experiment may take before it gives up.");
    setHelpText(rule_, "Aggressiveness\n\ngentle: no overshoot on slow loads (the default); normal: faster, "
                       "with a little overshoot.");
    setHelpText(table_, "Constants\n\nkP, kI and kD of the document beside those the experiment proposes, in "
                        "the regulator's own units (kI per second, kD in seconds).");
    setHelpText(chart_, "Live view\n\nTr1 (red) around the operating point (dashed) and the main output "
                        "(blue) while the experiment runs.");
    setHelpText(buttons_[Start], "Start\n\nReads the settings it will change, runs the experiment, then writes "
                                 "them all back and checks them. Nothing is saved to FLASH.");
    setHelpText(buttons_[Apply], "Apply to document\n\nWrites the proposed kP, kI and kD into the document.");
    setHelpText(buttons_[ApplyDownload],
                "Apply and download\n\nWrites the proposed constants into the document, downloads it to the "
                "regulator and verifies it.");
    setHelpText(buttons_[Close], "Close / Cancel\n\nDuring a run: stops it and restores the regulator's settings "
                                 "first. Otherwise closes the dialog.");
}

void AutotuneDialog::showConstants() {
    const auto rows = model_.rows(document_);
    for (int r = 0; r < 3; ++r) {
        const std::string cells[3] = {rows[r].name, rows[r].document, rows[r].proposed};
        for (int c = 0; c < 3; ++c) table_->setItem(r, c, new QTableWidgetItem(text(cells[c])));
    }
}

void AutotuneDialog::updateEnabled() {
    const bool busy = running();
    for (NumericEdit* e : entries_) e->setEnabled(!busy);
    rule_->setEnabled(!busy);
    buttons_[Start]->setEnabled(!busy);
    buttons_[Apply]->setEnabled(!busy && model_.canApply());
    buttons_[ApplyDownload]->setEnabled(!busy && model_.canApply() && connection_.isPortOpen());
    buttons_[Close]->setText(busy ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void AutotuneDialog::startRun() {
    if (running()) return;
    AutotuneModel::Entries values;
    for (int i = 0; i < AutotuneModel::EntryCount; ++i) values[i] = entries_[i]->text().toStdString();
    const auto rule = static_cast<tuning::TuningRule>(rule_->currentData().toInt());
    tuning::TuningRequest request;
    std::string error;
    if (!model_.makeRequest(values, rule, request, error)) {
        QMessageBox::warning(this, windowTitle(), text(error));
        return;
    }
    if (!connection_.isPortOpen()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("No link to the regulator: connect first."));
        return;
    }
    previousMode_ = connection_.setConnectionMode(ConnectionManager::ModeSuspended, true);
    AutotuneTrace trace;
    trace.operatingPoint = displayTemperature(static_cast<float>(*request.setPoint), celsius_);
    trace.outputLimit = *request.maxPower;
    chart_->setTrace(trace);
    model_.setOutcome({});
    result_->clear();
    showConstants();
    progress_->setText(QStringLiteral("Reading the regulator's settings..."));
    cancel_ = false;
    done_ = false;
    {
        std::lock_guard lock(mutex_);
        newPoints_.clear();
        progressText_.clear();
    }
    const bool celsius = celsius_;
    worker_ = std::thread([this, request, celsius] {
        tuning::TuningOutcome outcome;
        {
            SerialRegisterIo io(connection_.link());
            bool first = true;
            std::uint32_t firstCount = 0;
            ViewedTuningLink link(connection_.link(), [&](const RuntimeSample& s) {
                if (first) firstCount = s.gTsCnt;
                first = false;
                const double seconds = static_cast<double>(s.gTsCnt - firstCount) / kTraceLinesPerSecond;
                std::lock_guard lock(mutex_);
                newPoints_.push_back({seconds, displayTemperature(s.frTa, celsius), s.fgTc});
            });
            outcome = tuning::runTuning(io, link, request, [this](const tuning::ExperimentProgress& p) {
                std::lock_guard lock(mutex_);
                progressText_ = tuning::progressText(p);
            }, &cancel_);
        }
        {
            std::lock_guard lock(mutex_);
            outcome_ = std::move(outcome);
        }
        done_ = true;
    });
    poll_.start();
    updateEnabled();
}

void AutotuneDialog::poll() {
    std::vector<AutotuneTrace::Point> points;
    std::string progress;
    {
        std::lock_guard lock(mutex_);
        points.swap(newPoints_);
        progress = progressText_;
    }
    if (!points.empty()) {
        AutotuneTrace trace = chart_->trace();
        trace.points.insert(trace.points.end(), points.begin(), points.end());
        if (trace.points.size() > kMaxTracePoints)
            trace.points.erase(trace.points.begin(), trace.points.begin() + (trace.points.size() - kMaxTracePoints));
        chart_->setTrace(trace);
    }
    if (!progress.empty() && !cancel_) progress_->setText(text(progress));
    if (done_) finishRun();
}

void AutotuneDialog::finishRun() {
    if (!worker_.joinable()) return;
    worker_.join();
    poll_.stop();
    connection_.restoreRuntimeNotify();
    connection_.setConnectionMode(previousMode_, true);
    {
        std::lock_guard lock(mutex_);
        model_.setOutcome(outcome_);
    }
    const tuning::TuningOutcome& o = *model_.outcome();
    progress_->setText(o.status == tuning::TuningStatus::Finished ? QStringLiteral("Finished")
                                                                  : QStringLiteral("Stopped"));
    std::string summary = model_.summary();
    if (!model_.restoreText().empty()) summary += "\n" + model_.restoreText();
    showResult(text(summary));
    showConstants();
    updateEnabled();
    if (closeWhenDone_) QDialog::reject();
}

void AutotuneDialog::stopRun() {
    if (!running()) return;
    cancel_ = true;
    worker_.join();   // the session writes the saved registers back first
    poll_.stop();
    connection_.restoreRuntimeNotify();
    connection_.setConnectionMode(previousMode_, true);
}

void AutotuneDialog::reject() {
    if (running()) {
        cancel_ = true;
        closeWhenDone_ = true;
        progress_->setText(QStringLiteral("Cancelling: the regulator's settings are being restored..."));
        buttons_[Close]->setEnabled(false);
        return;
    }
    QDialog::reject();
}

void AutotuneDialog::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void AutotuneDialog::applyToDocument(bool download) {
    std::string error;
    if (!model_.applyTo(document_, error)) {
        QMessageBox::warning(this, windowTitle(), text(error));
        return;
    }
    if (markModified_) markModified_();
    showConstants();
    showResult(result_->text() + QStringLiteral("\nkP, kI and kD applied to the document."));
    if (download && downloadAndVerify_) downloadAndVerify_();
}
