#include "ui/dialogs/print_preview_pages.h"

#include <QAction>
#include <QCoreApplication>
#include <QPrintPreviewDialog>
#include <QSettings>

int previewPagesOf(QPrintPreviewWidget::ViewMode mode) {
    switch (mode) {
    case QPrintPreviewWidget::FacingPagesView: return 2;
    case QPrintPreviewWidget::AllPagesView: return 0;
    case QPrintPreviewWidget::SinglePageView: break;
    }
    return 1;
}

QPrintPreviewWidget::ViewMode previewViewModeOf(int pages) {
    switch (pages) {
    case 2: return QPrintPreviewWidget::FacingPagesView;
    case 0: return QPrintPreviewWidget::AllPagesView;
    default: return QPrintPreviewWidget::SinglePageView;
    }
}

int loadPreviewPages(QSettings& settings) {
    bool ok = false;
    const int pages = settings.value(QLatin1String(kPreviewPagesKey), 1).toInt(&ok);
    return ok ? previewPagesOf(previewViewModeOf(pages)) : 1;
}

void savePreviewPages(QSettings& settings, int pages) {
    settings.setValue(QLatin1String(kPreviewPagesKey), previewPagesOf(previewViewModeOf(pages)));
}

void showPreviewPages(QPrintPreviewDialog& dialog, int pages) {
    const QPrintPreviewWidget::ViewMode mode = previewViewModeOf(pages);
    // The tool bar's own action sets the mode with its fitting and enables.
    const char* text = mode == QPrintPreviewWidget::FacingPagesView ? "Show facing pages"
                       : mode == QPrintPreviewWidget::AllPagesView  ? "Show overview of all pages"
                                                                    : "Show single page";
    const QString label = QCoreApplication::translate("QPrintPreviewDialog", text);
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (action->text() == label) {
            action->trigger();
            return;
        }
    }
    if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) preview->setViewMode(mode);
}

int shownPreviewPages(const QPrintPreviewDialog& dialog) {
    const auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    return preview ? previewPagesOf(preview->viewMode()) : 1;
}
