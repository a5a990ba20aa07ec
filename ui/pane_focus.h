// F6 and Shift+F6: the keyboard focus walks through the panes of the main
// form (the status panel, the tab strip, the current page). A pane without a
// widget that takes the focus is passed over.
#pragma once

#include <QWidget>
#include <vector>

// The pane itself when it takes the focus by Tab, else its first enabled,
// visible descendant that does; null when there is none.
QWidget* firstFocusableIn(QWidget* pane);

// Index of the pane holding `focus` (the pane or a descendant), or -1.
int paneHolding(const std::vector<QWidget*>& panes, const QWidget* focus);

// Moves the focus `step` (+1 or -1) panes on from the one holding the focus
// (from before the first one when none does), wrapping around. False when
// no pane takes the focus.
bool moveFocusToPane(const std::vector<QWidget*>& panes, int step);
