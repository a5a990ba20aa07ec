// Serial ports on the network, named as URLs:
//   rfc2217://HOST:PORT  Telnet with the COM-PORT option (the line settings
//                        are made at the server, as on a local port)
//   socket://HOST:PORT   plain TCP (the server's line settings are fixed)
// HOST is a name, an IPv4 address or an IPv6 address in brackets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct PortUrl {
    enum class Kind { Rfc2217, RawSocket };
    Kind kind = Kind::Rfc2217;
    std::string host;        // without the brackets of an IPv6 address
    std::uint16_t port = 0;
    std::string text;        // the URL as given

    // The line settings are made by the link (rfc2217://), not fixed at the server.
    bool setsLine() const { return kind == Kind::Rfc2217; }
};

// True when `name` starts with one of the two schemes (case is ignored);
// such a name is never a device path, even when it is malformed.
bool isNetworkPortName(std::string_view name);

// The URL's parts, or nothing with the reason in `error` ("rfc2217://box: no
// port number, the form is rfc2217://HOST:PORT").
std::optional<PortUrl> parsePortUrl(std::string_view name, std::string* error = nullptr);

// True for a socket:// name: its bit rate cannot be changed by the link.
bool portRateIsFixed(std::string_view name);
