// The "Download firmware" dialog: lays out the controls, runs the board
// operations of FirmwareDownloadLogic on a worker thread so that the window
// keeps repainting, and forwards the buttons. While an operation runs every
// button is disabled and the dialog refuses to close.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "ui/dialogs/firmware_download_logic.h"
#include "ui/dialogs/firmware_file_chooser.h"

class BootLoaderLink;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

class CFirmwareDownloadDlg : public QDialog {
    Q_OBJECT
public:
    // The default shows the platform's file chooser.
    using FileChooser = FirmwareFileChooser;
    enum Button { Download, Cancel, SelectFile, Go, BoardId, SearchBoard, ButtonCount };

    CFirmwareDownloadDlg(BootLoaderLink& link, bool serviceMode, const QString& rememberedName,
                         FileChooser chooser = {}, QWidget* parent = nullptr);
    ~CFirmwareDownloadDlg() override;

    FirmwareDownloadLogic& logic() { return logic_; }
    // TARGET_PATH after the dialog.
    QString rememberedName() const { return QString::fromStdString(logic_.rememberedName()); }
    // For the message line once the dialog has closed: what a download
    // wrote; empty when nothing was written.
    std::string writtenText() const { return logic_.writtenText(); }

    QPushButton* button(Button b) const { return buttons_[b]; }
    QLabel* fileInfoLabel() const { return fileInfo_; }
    QLabel* pathLabel() const { return path_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* boardLabel() const { return board_; }
    QLabel* progressLabel() const { return progressText_; }
    QProgressBar* progressBar() const { return progress_; }
    QCheckBox* verifyCheck() const { return verify_; }
    // True once the identification and the file choice of the start are over.
    bool started() const { return started_; }

    // Cancel, Escape and the close box: starts the user program, then closes.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void describeControls();
    void refresh();
    void updateEnabled();
    void runOnWorker(std::function<void()> work, std::function<void()> done);
    void finishWork();
    void selectFile();
    void onDownload();
    void onGo();
    void onBoardId();
    void onSearchBoard();

    FirmwareDownloadLogic logic_;
    FileChooser chooser_;
    QPushButton* buttons_[ButtonCount] = {};
    QLabel* fileInfo_ = nullptr;
    QLabel* path_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* board_ = nullptr;
    QLabel* progressText_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QTimer estimateTimer_;
    // Finishes an operation as well as the worker's queued call: a nested
    // event loop running inside an older posted event would hold that call
    // back, never this timer.
    QTimer finishPoll_;
    std::atomic<bool> workDone_{false};
    std::thread worker_;
    std::function<void()> afterWork_;
    std::atomic<bool> refreshQueued_{false};
    bool startRequested_ = false;
    bool started_ = false;
    bool closing_ = false;
};
