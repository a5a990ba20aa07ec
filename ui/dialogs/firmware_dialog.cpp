#include "ui/dialogs/firmware_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/recent_folders.h"
#include "firmware/firmware_file.h"
#include "ui/help/whats_this.h"

namespace {

constexpr int kEstimateRefreshMs = 250;
constexpr int kFinishPollMs = 20;

std::optional<QString> chooseWithFileDialog(QWidget* parent, const QString& initialName) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // "Intelhex File (*.hex)|*.hex|All Files (*.*)|*.*||"
    dialog.setNameFilters({QStringLiteral("Intelhex File (*.hex)"), QStringLiteral("All Files (*)")});
    // The remembered name, in the folder the last firmware file came from.
    const QString folder = recentFolder(FileKind::Firmware);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!initialName.isEmpty()) dialog.selectFile(inRecentFolder(FileKind::Firmware, initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

QString text(const std::string& s) { return QString::fromStdString(s); }

void showError(QWidget* parent, const std::string& message) {
    QMessageBox::critical(parent, QStringLiteral("Download firmware"), QString::fromStdString(message));
}

}  // namespace

CFirmwareDownloadDlg::CFirmwareDownloadDlg(BootLoaderLink& link, bool serviceMode, const QString& rememberedName,
                                           FileChooser chooser, QWidget* parent)
    : QDialog(parent),
      logic_(link, serviceMode, rememberedName.toStdString()),
      chooser_(chooser ? std::move(chooser) : FileChooser(chooseWithFileDialog)) {
    setWindowTitle(QStringLiteral("Download firmware"));
    buildLayout();
    // The loader reports from the worker thread: refresh once per burst.
    logic_.setOnChanged([this] {
        if (!refreshQueued_.exchange(true))
            QMetaObject::invokeMethod(this, [this] {
                refreshQueued_ = false;
                refresh();
            }, Qt::QueuedConnection);
    });
    estimateTimer_.setInterval(kEstimateRefreshMs);
    connect(&estimateTimer_, &QTimer::timeout, this, &CFirmwareDownloadDlg::refresh);
    finishPoll_.setInterval(kFinishPollMs);
    connect(&finishPoll_, &QTimer::timeout, this, &CFirmwareDownloadDlg::finishWork);
    connect(buttons_[Download], &QPushButton::clicked, this, &CFirmwareDownloadDlg::onDownload);
    connect(buttons_[Cancel], &QPushButton::clicked, this, &CFirmwareDownloadDlg::reject);
    connect(buttons_[SelectFile], &QPushButton::clicked, this, &CFirmwareDownloadDlg::selectFile);
    connect(buttons_[Go], &QPushButton::clicked, this, &CFirmwareDownloadDlg::onGo);
    connect(buttons_[BoardId], &QPushButton::clicked, this, &CFirmwareDownloadDlg::onBoardId);
    connect(buttons_[SearchBoard], &QPushButton::clicked, this, &CFirmwareDownloadDlg::onSearchBoard);
    connect(verify_, &QCheckBox::toggled, this, [this](bool on) { logic_.setVerifyAfterWriting(on); });
    refresh();
}

CFirmwareDownloadDlg::~CFirmwareDownloadDlg() {
    if (worker_.joinable()) worker_.join();
}

void CFirmwareDownloadDlg::buildLayout() {
    auto makeButton = [this](Button b, const char* label, const char* tip) {
        buttons_[b] = new QPushButton(QString::fromLatin1(label), this);
        if (tip) buttons_[b]->setToolTip(QString::fromLatin1(tip));
        buttons_[b]->setAutoDefault(false);
    };
    makeButton(Download, "Download", nullptr);
    makeButton(Cancel, "Cancel", nullptr);
    makeButton(SelectFile, "Select File", "Select a new firmware file");
    makeButton(Go, "Go", "Start to run user software. This will exit firmware mode");
    makeButton(BoardId, "Board id", "Enter firmware mode, and get ID");
    makeButton(SearchBoard, "Search board", "Enter firmware mode by searching after the board");
    buttons_[Download]->setDefault(true);
    buttons_[Download]->setAutoDefault(true);
    const bool service = logic_.serviceButtonsVisible();
    for (Button b : {SelectFile, Go, BoardId, SearchBoard}) buttons_[b]->setVisible(service);

    // Room for the longest status text without clipping.
    const int statusWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("Error - unsupported record type at 000000, time 000 s")) + 8;
    auto makeLabel = [this, statusWidth](const char* initial) {
        auto* label = new QLabel(QString::fromLatin1(initial), this);
        label->setMinimumWidth(statusWidth);
        label->setTextFormat(Qt::PlainText);
        return label;
    };
    path_ = makeLabel("<select intelhex file>");
    fileInfo_ = makeLabel("Fileinfo");
    board_ = makeLabel(kBoardInitialText);
    status_ = makeLabel(kStatusInitialText);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progressText_ = new QLabel(this);
    progressText_->setTextFormat(Qt::PlainText);
    progressText_->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Block 00000 of 00000 read back, about 0000 s left")) + 8);
    verify_ = new QCheckBox(QStringLiteral("Verify after writing"), this);
    verify_->setChecked(logic_.verifyAfterWriting());
    verify_->setToolTip(QStringLiteral("Read the written firmware back and compare it with the file"));

    auto* fileGroup = new QGroupBox(QStringLiteral("User selected file"), this);
    auto* fileGrid = new QGridLayout(fileGroup);
    fileGrid->addWidget(path_, 0, 0);
    fileGrid->addWidget(buttons_[SelectFile], 0, 1);
    fileGrid->addWidget(fileInfo_, 1, 0, 1, 2);
    fileGrid->setColumnStretch(0, 1);

    auto* infoGroup = new QGroupBox(QStringLiteral("Download information"), this);
    auto* infoGrid = new QGridLayout(infoGroup);
    infoGrid->addWidget(board_, 0, 0);
    auto* boardButtons = new QHBoxLayout;
    boardButtons->addWidget(buttons_[BoardId]);
    boardButtons->addWidget(buttons_[SearchBoard]);
    infoGrid->addLayout(boardButtons, 0, 1);
    infoGrid->addWidget(status_, 1, 0);
    infoGrid->addWidget(buttons_[Go], 1, 1, Qt::AlignRight);
    infoGrid->addWidget(progress_, 2, 0, 1, 2);
    infoGrid->addWidget(progressText_, 3, 0, 1, 2);
    infoGrid->setColumnStretch(0, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(verify_);
    bottom->addStretch();
    bottom->addWidget(buttons_[Download]);
    bottom->addWidget(buttons_[Cancel]);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileGroup);
    layout->addWidget(infoGroup);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Reading order: the file, the board, the options, then the closing buttons.
    setTabOrder(buttons_[SelectFile], buttons_[BoardId]);
    setTabOrder(buttons_[BoardId], buttons_[SearchBoard]);
    setTabOrder(buttons_[SearchBoard], buttons_[Go]);
    setTabOrder(buttons_[Go], verify_);
    setTabOrder(verify_, buttons_[Download]);
    setTabOrder(buttons_[Download], buttons_[Cancel]);
    describeControls();
}

void CFirmwareDownloadDlg::describeControls() {
    setHelpText(buttons_[Download], "Download\n\nWrites the chosen HEX file into the board through its boot "
                                    "loader, record by record. With Verify after writing checked, the written "
                                    "image is then read back and compared. On success the new firmware is "
                                    "started and the dialog closes; on a failure the board stays in its boot "
                                    "loader and the status line names the address.");
    setHelpText(buttons_[Cancel], "Cancel\n\nStarts the firmware in the board again and closes the dialog "
                                  "without writing anything.");
    setHelpText(buttons_[SelectFile], "Select File\n\nChooses another Intel HEX file (.hex). The file is "
                                      "checked at once; its program range is shown below the name.");
    setHelpText(buttons_[Go], "Go\n\nStarts the firmware in the board (leaves the boot loader). The dialog "
                              "stays open.");
    setHelpText(buttons_[BoardId], "Board id\n\nSwitches the board to its boot loader and asks for its id, "
                                   "shown as \"BLxx with id N is Locked/Unlocked\".");
    setHelpText(buttons_[SearchBoard], "Search board\n\nSends the boot loader's wake-up sequence many times "
                                       "(for a board that was just switched on), then asks for its id.");
    setHelpText(verify_, "Verify after writing\n\nWhen checked (the default), the written firmware is read "
                         "back and compared with the file before it is started.");
}

void CFirmwareDownloadDlg::refresh() {
    const QString path = text(logic_.pathText());
    path_->setText(fontMetrics().elidedText(path, Qt::ElideMiddle, std::max(path_->width(), path_->minimumWidth())));
    path_->setToolTip(path);
    fileInfo_->setText(text(logic_.fileInfoText()));
    board_->setText(text(logic_.boardText()));
    status_->setText(text(logic_.statusText()));
    progress_->setRange(0, std::max(0, logic_.progressMaximum()));
    progress_->setValue(std::min(logic_.progressPosition(), progress_->maximum()));
    const QString estimate = text(logic_.progressText());
    progressText_->setText(estimate);
    progress_->setToolTip(estimate);
}

void CFirmwareDownloadDlg::updateEnabled() {
    const bool idle = !logic_.busy();
    for (QPushButton* b : buttons_) b->setEnabled(idle);
    verify_->setEnabled(idle);
    if (idle)
        unsetCursor();
    else
        setCursor(Qt::BusyCursor);
}

void CFirmwareDownloadDlg::runOnWorker(std::function<void()> work, std::function<void()> done) {
    if (worker_.joinable()) worker_.join();
    logic_.setBusy(true);
    updateEnabled();
    refresh();
    estimateTimer_.start();
    afterWork_ = std::move(done);
    workDone_ = false;
    finishPoll_.start();
    worker_ = std::thread([this, work = std::move(work)] {
        work();
        workDone_ = true;
        QMetaObject::invokeMethod(this, &CFirmwareDownloadDlg::finishWork, Qt::QueuedConnection);
    });
}

// Called by the worker's queued call and by finishPoll_, whichever comes
// first; the other finds nothing to finish.
void CFirmwareDownloadDlg::finishWork() {
    if (!workDone_.exchange(false)) return;
    if (worker_.joinable()) worker_.join();
    finishPoll_.stop();
    logic_.setBusy(false);
    estimateTimer_.stop();
    updateEnabled();
    refresh();
    if (auto done = std::move(afterWork_)) done();
}

void CFirmwareDownloadDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (startRequested_) return;
    startRequested_ = true;
    // Identify the board first, then offer the file chooser at once.
    runOnWorker([this] { logic_.boardId(); }, [this] {
        selectFile();
        started_ = true;
    });
}

void CFirmwareDownloadDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    refresh();
}

void CFirmwareDownloadDlg::closeEvent(QCloseEvent* event) {
    if (logic_.busy()) {
        event->ignore();  // the operation ends first
        return;
    }
    QDialog::closeEvent(event);
}

void CFirmwareDownloadDlg::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    if (logic_.busy()) return;
    runOnWorker([this] { logic_.cancel(); }, [this] {
        closing_ = true;
        QDialog::reject();
    });
}

void CFirmwareDownloadDlg::selectFile() {
    if (logic_.busy()) return;
    path_->setText(QString::fromLatin1(kFirmwarePathNotSelected));
    const std::optional<QString> chosen = chooser_(this, rememberedName());
    if (!chosen || chosen->isEmpty()) {
        logic_.fileChoiceCancelled();
        return;
    }
    rememberFolder(FileKind::Firmware, *chosen);
    if (!logic_.fileChosen(chosen->toStdString())) showError(this, logic_.fileErrorText());
    refresh();
}

void CFirmwareDownloadDlg::onDownload() {
    if (logic_.busy()) return;
    const std::string refusal = logic_.downloadRefusal();
    if (!refusal.empty()) {
        showError(this, refusal);
        return;
    }
    auto outcome = std::make_shared<DownloadOutcome>(DownloadOutcome::WriteFailed);
    runOnWorker([this, outcome] { *outcome = logic_.download(); }, [this, outcome] {
        if (*outcome == DownloadOutcome::Written) {
            closing_ = true;
            accept();
        }
    });
}

void CFirmwareDownloadDlg::onGo() {
    runOnWorker([this] { logic_.go(); }, {});
}

void CFirmwareDownloadDlg::onBoardId() {
    runOnWorker([this] { logic_.boardId(); }, {});
}

void CFirmwareDownloadDlg::onSearchBoard() {
    runOnWorker([this] { logic_.searchBoard(); }, {});
}
