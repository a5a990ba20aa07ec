// Debug messages of the link (what a network server did not answer, which
// Telnet options it asked for). Silent unless a handler is set or the
// environment variable TQ_LINK_DEBUG is set (then they go to stderr).
#pragma once

#include <functional>
#include <string>

using LinkDebugHandler = std::function<void(const std::string& message)>;

// Replaces the handler; an empty one restores the default. Any thread.
void setLinkDebugHandler(LinkDebugHandler handler);
// Sends one message to the handler. Any thread.
void linkDebug(const std::string& message);
