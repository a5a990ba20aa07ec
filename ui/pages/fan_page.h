// The Fan page: two identical groups, each a mode list and six values;
// the values a mode does not use are disabled.
#pragma once

#include "ui/pages/parameter_page.h"

class QComboBox;

class CFanPage : public ParameterPage {
    Q_OBJECT
public:
    CFanPage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr);

    void refreshFromDocument() override;
    QComboBox* modeList(int fan) const { return modes_[fan - 1]; }

private:
    void applyEnables();

    QComboBox* modes_[2] = {};
    bool refreshing_ = false;
};
