// A page of the tab strip whose content is added by its own editor later;
// it shows its title so the tab strip is complete.
#pragma once

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

class PlaceholderPage : public QWidget {
public:
    explicit PlaceholderPage(const QString& title, QWidget* parent = nullptr) : QWidget(parent) {
        setObjectName(title);
        auto* layout = new QVBoxLayout(this);
        auto* heading = new QLabel(title, this);
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        heading->setFont(f);
        layout->addWidget(heading);
        layout->addStretch();
        setMinimumSize(760, 330);
    }
};
