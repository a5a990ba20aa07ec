// What the five parameter pages share: the parameter set they edit, the
// view's "mark document modified" and the binder of their numeric fields.
#pragma once

#include <QWidget>
#include <functional>

#include "ui/pages/field_binder.h"
#include "ui/view_page.h"

class QGridLayout;
class QGroupBox;

class ParameterPage : public QWidget, public ViewPage {
    Q_OBJECT
public:
    // `modified` marks the document modified and updates the title.
    ParameterPage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr)
        : QWidget(parent), params_(params), modified_(std::move(modified)),
          binder_(params, modified_, this) {}

    void setCelsius(bool on) override {
        binder_.setCelsius(on);
        refreshFromDocument();
    }
    FieldBinder& binder() { return binder_; }

protected:
    // Another page may have changed a shared field (St1, sensor 1's record).
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        refreshFromDocument();
    }
    void changed() {
        if (modified_) modified_();
    }
    // A titled group with a grid inside.
    static QGroupBox* groupWithGrid(const QString& title, QGridLayout*& grid, QWidget* parent);

    ParameterSet* params_;
    std::function<void()> modified_;
    FieldBinder binder_;
};
