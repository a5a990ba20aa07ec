// "PreviewPages" in the "Settings" section: how many pages Print Preview
// shows at a time, 1 (one page) or 2 (two pages side by side); 0 stands for
// the overview of all pages. Read when the preview opens, written when it
// closes, so the preview opens as the operator left it.
#pragma once

#include <QPrintPreviewWidget>

class QPrintPreviewDialog;
class QSettings;

inline constexpr char kPreviewPagesKey[] = "Settings/PreviewPages";

int previewPagesOf(QPrintPreviewWidget::ViewMode mode);
// A value that names no mode (a missing key among them) is one page.
QPrintPreviewWidget::ViewMode previewViewModeOf(int pages);

int loadPreviewPages(QSettings& settings);
void savePreviewPages(QSettings& settings, int pages);

// Puts the preview into the mode `pages` names through its own tool bar,
// so that its buttons show the mode too.
void showPreviewPages(QPrintPreviewDialog& dialog, int pages);
// The mode the preview shows now.
int shownPreviewPages(const QPrintPreviewDialog& dialog);
