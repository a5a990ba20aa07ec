#include "ui/dialogs/print_setup_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/help/whats_this.h"

PrintSetupDialog::PrintSetupDialog(QPrinter& printer, const QString& pdfFileName, QWidget* parent,
                                   PrintSetupModel model)
    : QDialog(parent), printer_(printer), pdfFileName_(pdfFileName), model_(std::move(model)) {
    setObjectName(QStringLiteral("printSetupDialog"));
    setWindowTitle(QStringLiteral("Print Setup"));

    auto* printerGroup = new QGroupBox(QStringLiteral("Printer"), this);
    destination_ = new QComboBox(printerGroup);
    destination_->addItems(model_.destinations());
    where_ = new QLabel(printerGroup);
    auto* pf = new QFormLayout(printerGroup);
    pf->addRow(QStringLiteral("&Name:"), destination_);
    pf->addRow(QStringLiteral("Where:"), where_);

    auto* paperGroup = new QGroupBox(QStringLiteral("Paper"), this);
    paper_ = new QComboBox(paperGroup);
    portrait_ = new QRadioButton(QStringLiteral("P&ortrait"), paperGroup);
    landscape_ = new QRadioButton(QStringLiteral("&Landscape"), paperGroup);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait_);
    orientation->addWidget(landscape_);
    orientation->addStretch();
    auto* paperForm = new QFormLayout(paperGroup);
    paperForm->addRow(QStringLiteral("Si&ze:"), paper_);
    paperForm->addRow(QStringLiteral("Orientation:"), orientation);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrintSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PrintSetupDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerGroup);
    layout->addWidget(paperGroup);
    layout->addWidget(buttons);

    destination_->setCurrentIndex(model_.destinationOf(printer_));
    fillPaperSizes(printer_.pageLayout().pageSize());
    (printer_.pageLayout().orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);
    connect(destination_, &QComboBox::currentIndexChanged, this, [this] {
        fillPaperSizes(paper_->currentIndex() >= 0 ? sizes_.value(paper_->currentIndex()) : QPageSize());
    });

    setHelpText(destination_, "Name\n\nWhere Print sends the report: one of the installed printers, or "
                              "\"Print to PDF\", which writes it as a PDF file.");
    setHelpText(paper_, "Size\n\nThe paper the report is printed on, from the sizes the chosen printer takes.");
    setHelpText(portrait_, "Portrait\n\nThe page stands upright.");
    setHelpText(landscape_, "Landscape\n\nThe page lies on its side.");
    setHelpText(buttons->button(QDialogButtonBox::Ok),
                "OK\n\nKeeps the printer and the paper for the next Print and Print Preview.");
    setHelpText(buttons->button(QDialogButtonBox::Cancel), "Cancel\n\nCloses the dialog; nothing changes.");
}

// The sizes of the chosen printer, keeping the size shown when it takes it.
void PrintSetupDialog::fillPaperSizes(const QPageSize& keep) {
    const int destination = destination_->currentIndex();
    sizes_ = model_.paperSizes(destination);
    paper_->clear();
    for (const QPageSize& size : sizes_) paper_->addItem(size.name());
    paper_->setCurrentIndex(model_.paperIndex(destination, keep));
    if (destination == model_.pdfDestination()) {
        where_->setText(QStringLiteral("A PDF file"));
    } else {
        const QString location = QPrinterInfo::printerInfo(destination_->currentText()).location();
        where_->setText(location.isEmpty() ? QStringLiteral("-") : location);
    }
}

void PrintSetupDialog::accept() {
    const QPageSize paper = sizes_.value(paper_->currentIndex(), QPageSize(QPageSize::A4));
    model_.apply(destination_->currentIndex(), paper,
                 landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait, pdfFileName_, printer_);
    QDialog::accept();
}
