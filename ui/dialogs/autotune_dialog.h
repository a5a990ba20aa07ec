// Regulator › Auto-tune: the operator's settings, the run on a worker thread
// (the tuning session talks to the regulator and restores it), a live view
// of Tr1 and the output with the progress, and at the end the identified
// loop and the proposed constants beside the document's, with "Apply to
// document" and "Apply and download". Cancel, Escape and the close box end
// a run first (the regulator is restored); so does destroying the dialog.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/dialogs/autotune_chart.h"
#include "ui/dialogs/autotune_model.h"

class ConnectionManager;
class NumericEdit;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class AutotuneDialog : public QDialog {
    Q_OBJECT
public:
    // `document` gives the defaults and takes the constants; `downloadAndVerify`
    // sends the document to the regulator and verifies it.
    AutotuneDialog(ConnectionManager& connection, ParameterSet& document, bool celsius,
                   std::function<void()> markModified, std::function<void()> downloadAndVerify,
                   QWidget* parent = nullptr);
    ~AutotuneDialog() override;

    enum Button { Start, Apply, ApplyDownload, Close, ButtonCount };
    QPushButton* button(Button b) const { return buttons_[b]; }
    NumericEdit* entry(AutotuneModel::Entry e) const { return entries_[e]; }
    QComboBox* ruleBox() const { return rule_; }
    QLabel* progressLabel() const { return progress_; }
    QLabel* resultLabel() const { return result_; }
    QTableWidget* constantsTable() const { return table_; }
    AutotuneChart* chart() const { return chart_; }
    const AutotuneModel& model() const { return model_; }
    bool running() const { return worker_.joinable(); }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void showResult(const QString& message);
    void startRun();
    void poll();
    void finishRun();
    void stopRun();   // cancels and waits: the session restores the regulator
    void showConstants();
    void updateEnabled();
    void applyToDocument(bool download);

    ConnectionManager& connection_;
    ParameterSet& document_;
    bool celsius_;
    std::function<void()> markModified_;
    std::function<void()> downloadAndVerify_;
    AutotuneModel model_;

    NumericEdit* entries_[AutotuneModel::EntryCount] = {};
    QComboBox* rule_ = nullptr;
    AutotuneChart* chart_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* result_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* buttons_[ButtonCount] = {};

    QTimer poll_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    int previousMode_ = 0;
    bool closeWhenDone_ = false;
    double operatingPointShown_ = 0;

    // Filled by the worker, taken by poll() on the UI thread.
    std::mutex mutex_;
    std::vector<AutotuneTrace::Point> newPoints_;
    std::string progressText_;
    tuning::TuningOutcome outcome_;
};
