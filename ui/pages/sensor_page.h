// The Sensor page: four slots, each with its 32 calibration records (the
// selection is the slot's select), the summary of the selected record and
// an "Edit" button that opens the calibration editor on it. Copy and Paste
// act on the slot whose list has the focus, through a private clipboard.
#pragma once

#include <QList>
#include <functional>

#include "params/calibration_clipboard.h"
#include "ui/pages/parameter_page.h"

class QLabel;
class QListWidget;
class QPushButton;

class CSensorPage : public ParameterPage {
    Q_OBJECT
public:
    CSensorPage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr);

    void refreshFromDocument() override;

    // 1..4 for the slot whose list has the focus, 0 for none.
    int focusedSlot() const;
    bool canCopy() const { return focusedSlot() != 0; }
    bool canPaste() const { return focusedSlot() != 0; }

    QListWidget* list(int slot) const { return lists_[slot - 1]; }
    QLabel* summary(int slot) const { return summaries_[slot - 1]; }
    QPushButton* editButton(int slot) const { return editButtons_[slot - 1]; }
    const CalibrationClipboard& clipboard() const { return clipboard_; }

    // Asked before a paste; the default shows a Yes / No message box.
    void setPasteConfirmation(std::function<bool(const QString&)> ask) { confirm_ = std::move(ask); }

public slots:
    void copy();   // the focused slot's selected record into the clipboard
    void paste();  // asks, then replaces the focused slot's selected record
    void copySlot(int slot);
    void pasteSlot(int slot);
    void editSlot(int slot);  // opens the calibration editor

private:
    void refreshSlot(int slot);

    QListWidget* lists_[4] = {};
    QLabel* summaries_[4] = {};
    QPushButton* editButtons_[4] = {};
    CalibrationClipboard clipboard_;
    std::function<bool(const QString&)> confirm_;
    bool refreshing_ = false;
};
