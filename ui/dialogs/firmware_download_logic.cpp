#include "ui/dialogs/firmware_download_logic.h"

#include <chrono>
#include <cstdio>

#include "firmware/firmware_file.h"
#include "firmware/firmware_update_session.h"

namespace {

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string progressEstimateText(LoaderPhase phase, int done, int total, std::int64_t elapsedMs) {
    if (total <= 0)
        return {};
    char text[96];
    const char* format = phase == LoaderPhase::Verifying ? "Block %d of %d read back" : "Record %d of %d";
    int n = std::snprintf(text, sizeof text, format, done, total);
    if (done > 0 && done <= total && elapsedMs >= 0) {
        const std::int64_t leftMs = elapsedMs * (total - done) / done;
        std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ", about %lld s left",
                      static_cast<long long>((leftMs + 999) / 1000));
    }
    return text;
}

FirmwareDownloadLogic::FirmwareDownloadLogic(BootLoaderLink& link, bool serviceMode,
                                             std::string rememberedName)
    : serviceMode_(serviceMode),
      rememberedName_(std::move(rememberedName)),
      loader_(link, this),
      clock_(steadyMilliseconds) {}

void FirmwareDownloadLogic::setClock(std::function<std::int64_t()> milliseconds) {
    clock_ = milliseconds;
    loader_.setClock(std::move(milliseconds));
}

void FirmwareDownloadLogic::changed() {
    if (onChanged_)
        onChanged_();
}

bool FirmwareDownloadLogic::fileChosen(const std::string& chosen) {
    const std::string path = withHexExtension(chosen);
    rememberedName_ = fileNameOf(path);
    const FirmwareFileCheck check = checkFirmwareFile(reader_, path);
    {
        std::lock_guard lock(mutex_);
        fileValid_ = check.valid;
        fileError_ = check.valid ? std::string() : firmwareFileErrorText(check);
        fileInfo_ = check.fileInfo;
        filePath_ = path;
        path_ = path;
    }
    changed();
    return check.valid;
}

void FirmwareDownloadLogic::fileChoiceCancelled() {
    {
        std::lock_guard lock(mutex_);
        path_ = kFirmwarePathNotSelected;
    }
    changed();
}

std::string FirmwareDownloadLogic::fileErrorText() const {
    std::lock_guard lock(mutex_);
    return fileError_;
}

bool FirmwareDownloadLogic::fileValid() const {
    std::lock_guard lock(mutex_);
    return fileValid_;
}

std::string FirmwareDownloadLogic::downloadRefusal() const {
    if (!loader_.boardFound())
        return kErrorBoardIdNotValid;
    if (!fileValid())
        return kErrorFileNotValid;
    return {};
}

DownloadOutcome FirmwareDownloadLogic::download() {
    const bool verify = verify_.load();
    const DownloadOutcome outcome = loader_.download(reader_, fileValid(), verify);
    std::lock_guard lock(mutex_);
    writtenText_ = outcome == DownloadOutcome::Written
                       ? firmwareWrittenText(fileNameOf(filePath_), loader_.written().byteCount(),
                                             loader_.recordsWritten(), verify)
                       : std::string();
    return outcome;
}

std::string FirmwareDownloadLogic::writtenText() const {
    std::lock_guard lock(mutex_);
    return writtenText_;
}

std::string FirmwareDownloadLogic::fileInfoText() const {
    std::lock_guard lock(mutex_);
    return fileInfo_;
}

std::string FirmwareDownloadLogic::pathText() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string FirmwareDownloadLogic::statusText() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::string FirmwareDownloadLogic::boardText() const {
    std::lock_guard lock(mutex_);
    return board_;
}

int FirmwareDownloadLogic::progressMaximum() const {
    std::lock_guard lock(mutex_);
    return progressMax_;
}

int FirmwareDownloadLogic::progressPosition() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

std::string FirmwareDownloadLogic::progressText() const {
    std::lock_guard lock(mutex_);
    if (!busy_.load() || progressDone_ <= 0)
        return {};
    return progressEstimateText(phase_, progressDone_, progressMax_, clock_() - phaseStartMs_);
}

void FirmwareDownloadLogic::boardTextChanged(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        board_ = text;
    }
    changed();
}

void FirmwareDownloadLogic::statusTextChanged(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        status_ = text;
    }
    changed();
}

void FirmwareDownloadLogic::phaseChanged(LoaderPhase phase) {
    std::lock_guard lock(mutex_);
    phase_ = phase;
    progressDone_ = 0;
    phaseStartMs_ = clock_();
}

void FirmwareDownloadLogic::progressRangeChanged(int maximum) {
    {
        std::lock_guard lock(mutex_);
        progressMax_ = maximum;
    }
    changed();
}

void FirmwareDownloadLogic::progressChanged(int position) {
    {
        std::lock_guard lock(mutex_);
        progress_ = position;
        if (position > 0)
            progressDone_ = position;
    }
    changed();
}
