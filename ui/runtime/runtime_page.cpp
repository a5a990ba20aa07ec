#include "ui/runtime/runtime_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/global_setup.h"
#include "ui/help/whats_this.h"
#include "ui/runtime/runtime_page_logic.h"
#include "ui/runtime/runtime_view.h"
#include "ui/runtime/scope_viewer_ctrl.h"
#include "ui/runtime/set_value_dlg.h"

CRuntimePage::CRuntimePage(ChannelTable& table, QWidget* parent)
    : QWidget(parent),
      table_(table),
      interval_(runtime_page::kIntervalAtConstruction),
      runtimeView_(std::make_unique<CRuntimeView>()),
      scope_(new CScopeViewerCtrl(this)),
      list_(new RuntimeChannelList(this)),
      minus_(new QPushButton(QStringLiteral("-"), this)),
      plus_(new QPushButton(QStringLiteral("+"), this)),
      freezeBox_(new QCheckBox(QStringLiteral("Freeze"), this)) {
    setObjectName(QStringLiteral("Runtime"));
    list_->setFixedWidth(channelListWidthFor(list_->fontMetrics()) + 2 * list_->frameWidth() +
                         list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int buttonSide = fontMetrics().height() + 10;
    for (QPushButton* b : {minus_, plus_}) {
        b->setFixedSize(buttonSide + 4, buttonSide);
        b->setAutoDefault(false);
    }
    minus_->setToolTip(QStringLiteral("Halve the sample interval"));
    plus_->setToolTip(QStringLiteral("Double the sample interval"));

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(minus_);
    buttons->addWidget(plus_);
    buttons->addSpacing(8);
    buttons->addWidget(freezeBox_);
    buttons->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(list_, 1);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(scope_, 1);
    layout->addLayout(right);
    setTabOrder(scope_, list_);
    setTabOrder(list_, minus_);
    setTabOrder(minus_, plus_);
    setTabOrder(plus_, freezeBox_);

    setHelpText(scope_, "Graph\n\nThe live values of the checked channels, newest at the right. Each channel "
                        "is scaled between its own Min (bottom) and Max (top). Double-click to open the graph in "
                        "the RuntimeData window.");
    setHelpText(list_, "Channels\n\nCheck a channel to draw it. Max and Min are the values at the top and the "
                       "bottom of the graph, in the channel's unit (degrees, percent, volts or amperes). "
                       "Double-click a channel's name, Max or Min to change its range. The checks and ranges "
                       "are saved with the parameter set.");
    setHelpText(minus_, "-\n\nHalves the time between two samples of the graph (down to 0.125 s; disabled "
                        "there).");
    setHelpText(plus_, "+\n\nDoubles the time between two samples of the graph (up to 64 s).");
    setHelpText(freezeBox_, "Freeze\n\nWhen checked, the graphs stop taking new samples, so a trace can be "
                            "looked at. Logging goes on.");

    connect(scope_, &CScopeViewerCtrl::doubleClicked, this, &CRuntimePage::showRuntimeView);
    connect(minus_, &QPushButton::clicked, this,
            [this] { emit sampleIntervalRequested(runtime_page::halvedInterval(interval_)); });
    connect(plus_, &QPushButton::clicked, this,
            [this] { emit sampleIntervalRequested(runtime_page::doubledInterval(interval_)); });
    connect(freezeBox_, &QCheckBox::clicked, this, &CRuntimePage::readFreeze);
    connect(list_, &RuntimeChannelList::checkToggled, this, [this] { readChecks(true); });
    connect(list_, &RuntimeChannelList::headerClicked, this, [this] { readChecks(false); });
    connect(list_, &RuntimeChannelList::rangeEditRequested, this, &CRuntimePage::editChannelRange);
    initialise();
}

CRuntimePage::~CRuntimePage() = default;

void CRuntimePage::initialise() {
    refreshLists();
    configureScope(scope_);
    configureScope(runtimeView_->scope());
    repaintScopes();
    setIntervalLabel(runtime_page::kIntervalAtStart);
    readChecks(false);
}

void CRuntimePage::configureScope(CScopeViewerCtrl* scope) const {
    scope->setRange(runtime_page::kScopeBottom, runtime_page::kScopeTop, runtime_page::kScopeDecimals);
    const runtime_page::ScaleLabels labels = runtime_page::scaleLabels(table_);
    scope->setTopLabel(labels.top);
    scope->setMiddleLabel(labels.middle);
    scope->setBottomLabel(labels.bottom);
    scope->setLegend(runtime_page::legendTexts(table_));
    scope->setBackgroundColor(colours_.background);
    scope->setGridColor(colours_.grid);
    scope->setTextColor(colours_.grid);
    scope->setChannelColors(colours_.channels);
    scope->setPenWidth(penWidth_);
}

void CRuntimePage::addSample(const GraphValues& values) {
    if (freeze_) return;
    const ScopeSample sample = runtime_page::toScopeSample(values);
    scope_->addSample(sample);
    runtimeView_->scope()->addSample(sample);
}

void CRuntimePage::setIntervalLabel(int ms) {
    // Nothing to halve below the fastest interval, nothing to double above the slowest.
    minus_->setEnabled(ms > runtime_page::kIntervalMin);
    plus_->setEnabled(ms < runtime_page::kIntervalMax);
    if (ms == interval_) return;
    interval_ = ms;
    const QString label = runtime_page::intervalLabel(ms);
    scope_->setXAxisLabel(label);
    runtimeView_->scope()->setXAxisLabel(label);
}

void CRuntimePage::setPenWidth(int width) {
    penWidth_ = width;
    scope_->setPenWidth(width);
    runtimeView_->scope()->setPenWidth(width);
}

void CRuntimePage::applyColours(std::uint32_t background, std::uint32_t grid, const ScopeColors& channels) {
    colours_.background = background;
    colours_.grid = grid;
    colours_.channels = channels;
    for (CScopeViewerCtrl* scope : {scope_, runtimeView_->scope()}) {
        scope->setBackgroundColor(background);
        scope->setGridColor(grid);
        scope->setTextColor(grid);
        scope->setChannelColors(channels);
    }
    refreshLists();
    repaintScopes();
}

void CRuntimePage::applyGlobalSetup(const GlobalSetup& setup) {
    ScopeColors channels{};
    for (int i = 0; i < kScopeChannels; ++i) channels[i] = setup.channelColors[i];
    setPenWidth(setup.penSize);
    applyColours(setup.colorBackground, setup.colorGrid, channels);  // repaints
}

void CRuntimePage::resetChannelTable() {
    table_.reset();
    refreshLists();
    readChecks(false);
    repaintScopes();
    emit channelTableChanged();
}

void CRuntimePage::runtimeBlockLoaded() {
    refreshLists();
    repaintScopes();
    readChecks(false);
    readFreeze();
    emit channelTableChanged();
}

void CRuntimePage::refreshLists() {
    list_->showTable(table_, colours_);
    runtimeView_->legend()->showNames(colours_);
}

// The check boxes into the table's flags and both charts. Only the
// operator's click or space key changes the document; a header click just
// re-reads.
void CRuntimePage::readChecks(bool operatorChange) {
    const ScopeFlags flags = list_->checks();
    for (int i = 0; i < kGraphChannelCount; ++i) table_[i].enabled = flags[i];
    showScale();
    scope_->setChannelsEnabled(flags);
    runtimeView_->scope()->setChannelsEnabled(flags);
    if (operatorChange) {
        emit channelTableChanged();
        emit documentModified();
    }
}

void CRuntimePage::editChannelRange(int channel) {
    if (channel < 0 || channel >= kGraphChannelCount) return;
    CSetValueDlg dialog(table_[channel].max, table_[channel].min, this);
    if (dialog.exec() != QDialog::Accepted) return;
    table_[channel].max = dialog.model().max();
    table_[channel].min = dialog.model().min();
    list_->showRange(channel, table_[channel], colours_);
    showScale();
    repaintScopes();
    emit channelTableChanged();
    emit documentModified();
}

// The value labels and the legend follow the channels drawn and their ranges.
void CRuntimePage::showScale() {
    const runtime_page::ScaleLabels labels = runtime_page::scaleLabels(table_);
    for (CScopeViewerCtrl* scope : {scope_, runtimeView_->scope()}) {
        scope->setTopLabel(labels.top);
        scope->setMiddleLabel(labels.middle);
        scope->setBottomLabel(labels.bottom);
        scope->setLegend(runtime_page::legendTexts(table_));
    }
}

void CRuntimePage::repaintScopes() {
    scope_->repaintNow();
    runtimeView_->scope()->repaintNow();
}

void CRuntimePage::readFreeze() { freeze_ = freezeBox_->isChecked(); }

void CRuntimePage::showRuntimeView() {
    runtimeView_->showNormal();
    runtimeView_->raise();
    runtimeView_->activateWindow();
}

void CRuntimePage::toggleRuntimeView() {
    if (runtimeView_->isVisible())
        runtimeView_->hide();
    else
        showRuntimeView();
}

bool CRuntimePage::runtimeViewVisible() const { return runtimeView_->isVisible(); }

void CRuntimePage::refreshFromDocument() { readFreeze(); }

void CRuntimePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    list_->setFocus();
    readFreeze();
}
