#include "ui/pane_focus.h"

#include <QApplication>

namespace {
bool takesFocus(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible() &&
           w->focusProxy() == nullptr;
}
}  // namespace

QWidget* firstFocusableIn(QWidget* pane) {
    if (!pane || !pane->isVisible() || !pane->isEnabled()) return nullptr;
    if (takesFocus(pane)) return pane;
    // The focus chain gives the Tab order of the pane's descendants.
    for (QWidget* w = pane->nextInFocusChain(); w && w != pane; w = w->nextInFocusChain()) {
        if (pane->isAncestorOf(w) && takesFocus(w)) return w;
    }
    return nullptr;
}

int paneHolding(const std::vector<QWidget*>& panes, const QWidget* focus) {
    for (int i = 0; focus && i < static_cast<int>(panes.size()); ++i)
        if (panes[i] && (panes[i] == focus || panes[i]->isAncestorOf(focus))) return i;
    return -1;
}

bool moveFocusToPane(const std::vector<QWidget*>& panes, int step) {
    const int n = static_cast<int>(panes.size());
    if (n == 0) return false;
    int at = paneHolding(panes, QApplication::focusWidget());
    if (at < 0) at = step > 0 ? n - 1 : 0;
    for (int tried = 0; tried < n; ++tried) {
        at = ((at + step) % n + n) % n;
        if (QWidget* target = firstFocusableIn(panes[at])) {
            target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}
