#include "ui/dialogs/compare_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/help/whats_this.h"

CompareDialog::CompareDialog(const CompareModel& model, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("compareDialog"));
    setWindowTitle(QStringLiteral("Compare with regulator"));
    auto* layout = new QVBoxLayout(this);

    summary_ = new QLabel(QString::fromStdString(model.summary()), this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    if (model.rowCount() > 0) {
        table_ = new QTableWidget(model.rowCount(), CompareModel::ColumnCount, this);
        QStringList headers;
        for (const char* h : CompareModel::headers()) headers << QString::fromLatin1(h);
        table_->setHorizontalHeaderLabels(headers);
        for (int r = 0; r < model.rowCount(); ++r) {
            const auto cells = model.row(r);
            for (int c = 0; c < CompareModel::ColumnCount; ++c) {
                auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                if (c >= CompareModel::Document)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(r, c, item);
            }
        }
        table_->verticalHeader()->hide();
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->setAlternatingRowColors(true);
        table_->resizeColumnsToContents();
        table_->horizontalHeader()->setStretchLastSection(true);
        // Wide enough for every column, tall enough for a dozen rows.
        int width = 2 * table_->frameWidth() + 24;
        for (int c = 0; c < CompareModel::ColumnCount; ++c) width += table_->columnWidth(c);
        const int rows = std::min(model.rowCount(), 12);
        const int height = 2 * table_->frameWidth() + table_->horizontalHeader()->sizeHint().height() +
                           rows * table_->verticalHeader()->defaultSectionSize();
        table_->setMinimumSize(width, height);
        layout->addWidget(table_, 1);
    }

    auto* buttons = new QDialogButtonBox(this);
    if (model.canTake()) {
        take_ = buttons->addButton(QStringLiteral("Take the regulator's values"),
                                   QDialogButtonBox::AcceptRole);
        take_->setToolTip(QStringLiteral("Read the regulator's values into this document, as Get parameters does"));
    }
    close_ = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    close_->setFocus();   // the table is for reading; Enter closes
    setHelpText(table_, "The fields whose value in the regulator differs from this parameter set: the "
                        "register, the field, the page's label, the value the download would send and "
                        "the value the regulator holds.");
    setHelpText(take_, "Reads the regulator's values into this parameter set, as Get parameters does. "
                       "The regulator is not changed.");
    setHelpText(close_, "Closes the list; the parameter set stays as it is.");
}
