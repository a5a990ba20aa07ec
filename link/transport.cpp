#include "link/transport.h"

#include "link/network_transport.h"
#include "link/port_url.h"
#include "link/tty_transport.h"

std::unique_ptr<Transport> makeTransport(std::string_view name) {
    if (isNetworkPortName(name))
        return std::make_unique<NetworkTransport>();
    return std::make_unique<TtyTransport>();
}
