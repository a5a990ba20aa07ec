// "Compare with regulator": the differences between the document and the
// regulator in a table, with "Take the regulator's values" and "Close".
#pragma once

#include <QDialog>

#include "ui/dialogs/compare_model.h"

class QLabel;
class QPushButton;
class QTableWidget;

class CompareDialog : public QDialog {
    Q_OBJECT
public:
    // Accepted when the operator chose to take the regulator's values.
    CompareDialog(const CompareModel& model, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QLabel* summaryLabel() const { return summary_; }
    QPushButton* takeButton() const { return take_; }
    QPushButton* closeButton() const { return close_; }

private:
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* take_ = nullptr;
    QPushButton* close_ = nullptr;
};
