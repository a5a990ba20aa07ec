#include "ui/pages/parameter_page.h"

#include <QGridLayout>
#include <QGroupBox>

QGroupBox* ParameterPage::groupWithGrid(const QString& title, QGridLayout*& grid, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    return box;
}
