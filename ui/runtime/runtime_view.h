// CRuntimeView: the "RuntimeData" window, a resizable top-level window with
// the larger strip chart and a legend of the channel names. It is created
// hidden and without a parent; the Runtime page shows and hides it.
#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

class CScopeViewerCtrl;
class RuntimeLegendList;

// The window's layout rule: geometry recorded once from the laid-out
// controls, then applied on every size change. The chart keeps its left
// and top and its distances from the right and bottom edges; the legend
// keeps its width and top and its distances from the right and bottom.
struct RecordedLayout {
    int scopeLeft = 0, scopeTop = 0, scopeRightGap = 0, scopeBottomGap = 0;
    int listWidth = 0, listTop = 0, listRightGap = 0, listBottomGap = 0;

    static RecordedLayout record(const QRect& scope, const QRect& list, QSize client);
    QRect scopeRect(QSize client) const;
    QRect listRect(QSize client) const;
};

class CRuntimeView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 300;   // of the whole window, frame included
    static constexpr int kMinimumHeight = 250;

    CRuntimeView();

    CScopeViewerCtrl* scope() const { return scope_; }
    RuntimeLegendList* legend() const { return legend_; }
    const RecordedLayout& recordedLayout() const { return layout_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyLayout();
    void keepMinimumWithFrame();

    CScopeViewerCtrl* scope_;
    RuntimeLegendList* legend_;
    RecordedLayout layout_;
};
