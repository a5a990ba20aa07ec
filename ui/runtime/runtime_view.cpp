#include "ui/runtime/runtime_view.h"

#include <QResizeEvent>
#include <QStyle>

#include "ui/help/whats_this.h"
#include "ui/runtime/channel_lists.h"
#include "ui/runtime/scope_viewer_ctrl.h"

RecordedLayout RecordedLayout::record(const QRect& scope, const QRect& list, QSize client) {
    RecordedLayout r;
    r.scopeLeft = scope.left();
    r.scopeTop = scope.top();
    r.scopeRightGap = client.width() - (scope.left() + scope.width());
    r.scopeBottomGap = client.height() - (scope.top() + scope.height());
    r.listWidth = list.width();
    r.listTop = list.top();
    r.listRightGap = client.width() - (list.left() + list.width());
    r.listBottomGap = client.height() - (list.top() + list.height());
    return r;
}

QRect RecordedLayout::scopeRect(QSize client) const {
    const int right = client.width() - scopeRightGap;
    const int bottom = client.height() - scopeBottomGap;
    return {scopeLeft, scopeTop, std::max(0, right - scopeLeft), std::max(0, bottom - scopeTop)};
}

QRect RecordedLayout::listRect(QSize client) const {
    const int right = client.width() - listRightGap;
    const int bottom = client.height() - listBottomGap;
    return {right - listWidth, listTop, listWidth, std::max(0, bottom - listTop)};
}

CRuntimeView::CRuntimeView()
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      scope_(new CScopeViewerCtrl(this)),
      legend_(new RuntimeLegendList(this)) {
    setWindowTitle(QStringLiteral("RuntimeData"));
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    // The design in dialog units (4 per average character across, 8 per line
    // down): a 434 x 246 client, the chart at (7, 7) 373 x 232, the legend
    // 46 wide at the right; the legend grows when the names need more room.
    const QFontMetrics fm = fontMetrics();
    const double dluX = fm.horizontalAdvance(QStringLiteral(
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0 / 4.0;
    const double dluY = fm.height() / 8.0;
    auto x = [dluX](int d) { return static_cast<int>(d * dluX + 0.5); };
    auto y = [dluY](int d) { return static_cast<int>(d * dluY + 0.5); };
    const QSize client(x(434), y(246));
    const int legendNeeds = fm.horizontalAdvance(QStringLiteral(" Uext.ctrl ")) + 16 +
                            2 * legend_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int listWidth = std::max(x(46), legendNeeds);
    const QRect list(client.width() - x(7) - listWidth, y(7), listWidth, y(232));
    const QRect scope(x(7), y(7), list.left() - x(1) - x(7), y(232));
    layout_ = RecordedLayout::record(scope, list, client);
    setHelpText(scope_, "Graph\n\nThe same live graph as on the Runtime page, in a window of its own that can "
                        "be resized or moved to another screen.");
    setHelpText(legend_, "Channels\n\nThe names of the channels in their colours. Which channels are drawn, "
                         "and their ranges, are chosen on the Runtime page.");
    resize(client);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    applyLayout();
}

void CRuntimeView::applyLayout() {
    // Both move without painting; the window then repaints as a whole.
    scope_->setUpdatesEnabled(false);
    legend_->setUpdatesEnabled(false);
    scope_->setGeometry(layout_.scopeRect(size()));
    legend_->setGeometry(layout_.listRect(size()));
    scope_->setUpdatesEnabled(true);
    legend_->setUpdatesEnabled(true);
    update();
}

void CRuntimeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyLayout();
}

void CRuntimeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepMinimumWithFrame();
}

// The 300 x 250 minimum holds for the outer window: the frame counts.
void CRuntimeView::keepMinimumWithFrame() {
    const QSize frame = frameGeometry().size() - geometry().size();
    setMinimumSize(std::max(1, kMinimumWidth - frame.width()), std::max(1, kMinimumHeight - frame.height()));
}
