// CRuntimePage: the "Runtime" tab. A strip chart on the left, the channel
// list on the right, the sample interval buttons "-" and "+" and "Freeze".
// It shows and edits the graph channel table, which the view owns so that
// every save writes it; the page reports changes through its signals. It
// also owns the RuntimeData window, which shows the same samples.
#pragma once

#include <QWidget>
#include <memory>

#include "runtime/channel_table.h"
#include "runtime/runtime_sink.h"
#include "ui/runtime/channel_lists.h"
#include "ui/view_page.h"

class CRuntimeView;
class CScopeViewerCtrl;
class QCheckBox;
class QPushButton;

class CRuntimePage : public QWidget, public ViewPage {
    Q_OBJECT
public:
    explicit CRuntimePage(ChannelTable& table, QWidget* parent = nullptr);
    ~CRuntimePage() override;

    // One point per graph tick, on the UI thread; dropped while frozen.
    void addSample(const GraphValues& values);
    // The view's answer to "-" / "+": the time-base label of both charts.
    void setIntervalLabel(int ms);
    int interval() const { return interval_; }
    void setPenWidth(int width);
    void applyColours(std::uint32_t background, std::uint32_t grid, const ScopeColors& channels);
    // Every channel back to its default flag and range; lists and charts follow.
    void resetChannelTable();
    // After a parameter file's graph block went into the table.
    void runtimeBlockLoaded();
    // Opens "Set new value" for the channel's max and min.
    void editChannelRange(int channel);

    void showRuntimeView();
    void toggleRuntimeView();
    bool runtimeViewVisible() const;

    bool frozen() const { return freeze_; }

    // ViewPage
    void refreshFromDocument() override;
    void applyGlobalSetup(const GlobalSetup& setup) override;

    CScopeViewerCtrl* scope() const { return scope_; }
    CRuntimeView* runtimeView() const { return runtimeView_.get(); }
    RuntimeChannelList* channelList() const { return list_; }
    QPushButton* minusButton() const { return minus_; }
    QPushButton* plusButton() const { return plus_; }
    QCheckBox* freezeBox() const { return freezeBox_; }

signals:
    // "-" or "+": the view sets the sample timer and answers with setIntervalLabel.
    void sampleIntervalRequested(int ms);
    // The operator changed the channel table.
    void documentModified();
    // A range or flag changed: whoever scales the graph values follows.
    void channelTableChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void initialise();
    void configureScope(CScopeViewerCtrl* scope) const;
    void refreshLists();
    void readChecks(bool operatorChange);
    void showScale();
    void repaintScopes();
    void readFreeze();

    ChannelTable& table_;
    ListColours colours_;
    int interval_;
    bool freeze_ = false;
    int penWidth_ = 2;
    std::unique_ptr<CRuntimeView> runtimeView_;
    CScopeViewerCtrl* scope_;
    RuntimeChannelList* list_;
    QPushButton* minus_;
    QPushButton* plus_;
    QCheckBox* freezeBox_;
};
