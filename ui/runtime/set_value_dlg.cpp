#include "ui/runtime/set_value_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/help/help_coverage.h"
#include "ui/help/whats_this.h"
#include "ui/tq_interface_view.h"
#include "ui/widgets/numeric_entry.h"

namespace {

// Opened from the Runtime page's channel list.
const HelpCoverageRegistrar kCoverage{"CSetValueDlg", [](CTQ_InterfaceView& v) -> QWidget* {
    return new CSetValueDlg(100.0, -100.0, &v);
}};

}  // namespace

QString SetValueModel::maxText() const { return numeric_entry::format(max_, kPrecision); }
QString SetValueModel::minText() const { return numeric_entry::format(min_, kPrecision); }

void SetValueModel::accept(const QString& maxText, const QString& minText) {
    max_ = numeric_entry::parse(maxText);
    min_ = numeric_entry::parse(minText);
}

CSetValueDlg::CSetValueDlg(double max, double min, QWidget* parent)
    : QDialog(parent), model_(max, min), maxEdit_(new NumericEdit(this)), minEdit_(new NumericEdit(this)) {
    setWindowTitle(QStringLiteral("Set new value"));
    for (NumericEdit* edit : {maxEdit_, minEdit_}) {
        edit->setPrecision(SetValueModel::kPrecision);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.000000000000000e-000")));
    }
    maxEdit_->setText(model_.maxText());
    minEdit_->setText(model_.minText());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Max value"), maxEdit_);
    form->addRow(QStringLiteral("Min value"), minEdit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetValueDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetValueDlg::reject);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(buttons);
    setHelpText(maxEdit_, "Max value\n\nThe channel's value at the top of the graph, in the channel's unit. "
                          "Any number; below Min draws the channel upside down.");
    setHelpText(minEdit_, "Min value\n\nThe channel's value at the bottom of the graph, in the channel's unit.");
    setHelpText(buttons->button(QDialogButtonBox::Ok), "OK\n\nTakes the new range; the graph is redrawn with it.");
    setHelpText(buttons->button(QDialogButtonBox::Cancel), "Cancel\n\nKeeps the channel's range as it was.");
    setTabOrder(maxEdit_, minEdit_);
    maxEdit_->setFocus();
    maxEdit_->selectAll();
}

void CSetValueDlg::accept() {
    model_.accept(maxEdit_->text(), minEdit_->text());
    QDialog::accept();
}
