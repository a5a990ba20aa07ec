#include "link/link_debug.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

std::mutex handlerMutex;
std::shared_ptr<const LinkDebugHandler> handler;

bool defaultEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("TQ_LINK_DEBUG");
        return value != nullptr && *value != '\0' && *value != '0';
    }();
    return enabled;
}

}  // namespace

void setLinkDebugHandler(LinkDebugHandler next) {
    std::shared_ptr<const LinkDebugHandler> made;
    if (next)
        made = std::make_shared<const LinkDebugHandler>(std::move(next));
    std::lock_guard<std::mutex> lock(handlerMutex);
    handler.swap(made);
}

void linkDebug(const std::string& message) {
    std::shared_ptr<const LinkDebugHandler> current;
    {
        std::lock_guard<std::mutex> lock(handlerMutex);
        current = handler;
    }
    if (current)
        (*current)(message);
    else if (defaultEnabled())
        std::fprintf(stderr, "link: %s\n", message.c_str());
}
