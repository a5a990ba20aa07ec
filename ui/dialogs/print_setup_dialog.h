// File › Print Setup: the printer (or "Print to PDF") and the paper, size
// and orientation. OK sets the printer that the next Print and Print
// Preview use; Cancel leaves it as it was.
#pragma once

#include <QDialog>

#include "ui/dialogs/print_setup_model.h"

class QComboBox;
class QLabel;
class QPrinter;
class QRadioButton;

class PrintSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the choice `printer` holds; a PDF goes to `pdfFileName`.
    PrintSetupDialog(QPrinter& printer, const QString& pdfFileName, QWidget* parent = nullptr,
                     PrintSetupModel model = PrintSetupModel());

    QComboBox* destinationBox() const { return destination_; }
    QComboBox* paperBox() const { return paper_; }
    QRadioButton* portraitButton() const { return portrait_; }
    QRadioButton* landscapeButton() const { return landscape_; }

    void accept() override;

private:
    void fillPaperSizes(const QPageSize& keep);

    QPrinter& printer_;
    QString pdfFileName_;
    PrintSetupModel model_;
    QList<QPageSize> sizes_;
    QComboBox* destination_ = nullptr;
    QLabel* where_ = nullptr;
    QComboBox* paper_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
};
