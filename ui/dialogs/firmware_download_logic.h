// What the "Download firmware" dialog does, without widgets: the chosen
// file and its check, the board identification, the download with its
// refusals and verification, and the texts the dialog shows.
//
// The board operations block; the dialog runs them on a worker thread while
// its buttons are disabled. The loader reports from that thread, so the
// texts are kept under a lock and read as copies, and `onChanged` (which may
// run on any thread) tells the dialog to refresh.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "firmware/firmware_loader.h"
#include "firmware/intel_hex_file.h"

class FirmwareDownloadLogic : private FirmwareLoaderObserver {
public:
    FirmwareDownloadLogic(BootLoaderLink& link, bool serviceMode, std::string rememberedName);

    // The dialog refreshes its controls when this runs (any thread).
    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }
    // Milliseconds of a steady clock, for the time-left estimate.
    void setClock(std::function<std::int64_t()> milliseconds);

    // "Go", "Board id", "Search board" and "Select File" are shown only in service mode.
    bool serviceButtonsVisible() const { return serviceMode_; }
    // True while a board operation runs: every button is disabled and the
    // dialog cannot be closed.
    bool busy() const { return busy_.load(); }
    void setBusy(bool busy) { busy_.store(busy); }

    // The chooser offers this name first; it becomes TARGET_PATH again.
    const std::string& rememberedName() const { return rememberedName_; }
    // The chooser confirmed `path`: ".hex" is added to a name without ".",
    // the file is checked. False when it is not a file that can be
    // downloaded (the dialog then shows fileErrorText).
    bool fileChosen(const std::string& path);
    // "File error - The file is not a Intelhex file we support: line 12:
    // checksum 0x3A, expected 0x3B" for the file chosen last.
    std::string fileErrorText() const;
    // The chooser was cancelled: the path reads "<not selected>", the file
    // chosen before stays in effect.
    void fileChoiceCancelled();
    bool fileValid() const;

    bool verifyAfterWriting() const { return verify_.load(); }
    void setVerifyAfterWriting(bool on) { verify_.store(on); }

    // The Download button's refusal ("Error - Board ID not valid", "Error -
    // File not valid"), or empty when the download may start.
    std::string downloadRefusal() const;

    // Board operations (blocking).
    bool boardId() { return loader_.boardId(); }
    bool searchBoard() { return loader_.searchBoard(); }
    int go() { return loader_.go(); }
    int cancel() { return loader_.cancel(); }
    DownloadOutcome download();
    // After a download that succeeded, what the message line says of it
    // (the file, the bytes and records written, verified or not); empty
    // otherwise.
    std::string writtenText() const;

    // Copies of the texts bound to the dialog's controls.
    std::string fileInfoText() const;
    std::string pathText() const;
    std::string statusText() const;
    std::string boardText() const;
    int progressMaximum() const;
    int progressPosition() const;
    // Beside the progress bar: the records (or read-back blocks) done of the
    // total and an estimate of the time left; empty when nothing runs.
    std::string progressText() const;

private:
    // FirmwareLoaderObserver (called on the thread that runs the operation).
    void boardTextChanged(const std::string& text) override;
    void statusTextChanged(const std::string& text) override;
    void phaseChanged(LoaderPhase phase) override;
    void progressRangeChanged(int maximum) override;
    void progressChanged(int position) override;
    void changed();

    const bool serviceMode_;
    std::string rememberedName_;
    FirmwareLoader loader_;
    IntelHexFile reader_;
    std::function<void()> onChanged_;
    std::function<std::int64_t()> clock_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> verify_{true};

    mutable std::mutex mutex_;
    bool fileValid_ = false;
    std::string fileError_;
    std::string filePath_;          // the file in reader_ (path_ may read "<not selected>")
    std::string writtenText_;
    std::string fileInfo_ = "Fileinfo";
    std::string path_ = "<select intelhex file>";
    std::string status_;
    std::string board_ = kBoardInitialText;
    LoaderPhase phase_ = LoaderPhase::Writing;
    int progressMax_ = 100;
    int progress_ = 0;
    int progressDone_ = 0;          // the last non-zero position of this phase
    std::int64_t phaseStartMs_ = 0;
};

// "Record 120 of 2050, about 14 s left" or "Block 40 of 512 read back,
// about 3 s left"; "about" is left out until a first record is done.
std::string progressEstimateText(LoaderPhase phase, int done, int total, std::int64_t elapsedMs);
