// What the view asks of each page of its tab strip. A page that shows the
// document implements the hooks it needs; the view calls them on every
// document update, service-mode change and unit change, and after the
// global setup changed (graph colours, pen width).
#pragma once

struct GlobalSetup;

class ViewPage {
public:
    virtual ~ViewPage() = default;
    virtual void refreshFromDocument() {}
    virtual void setServiceMode(bool /*on*/) {}
    virtual void setCelsius(bool /*on*/) {}
    virtual void applyGlobalSetup(const GlobalSetup& /*setup*/) {}
};
