// The pages of the view's tab strip.
#include "ui/placeholder_page.h"
#include "ui/tq_interface_view.h"
#include "ui/view_page.h"

QWidget* CTQ_InterfaceView::createPage(Page page) {
    static const char* const titles[PageCount] = {"Base", "Runtime", "Alarm", "Fan", "Sensor", "Regulator"};
    switch (page) {
    case RuntimePage:
        return createRuntimePage();
    default:
        return new PlaceholderPage(QString::fromLatin1(titles[page]));
    }
}

void CTQ_InterfaceView::forEachPage(const std::function<void(ViewPage&)>& action) {
    for (QWidget* page : pages_)
        if (auto* p = dynamic_cast<ViewPage*>(page)) action(*p);
}
