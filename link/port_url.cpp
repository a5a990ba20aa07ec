#include "link/port_url.h"

#include <array>
#include <cctype>

namespace {

struct Scheme {
    std::string_view prefix;
    PortUrl::Kind kind;
};
constexpr std::array<Scheme, 2> kSchemes = {{{"rfc2217://", PortUrl::Kind::Rfc2217},
                                             {"socket://", PortUrl::Kind::RawSocket}}};

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool fail(std::string* error, std::string why) {
    if (error != nullptr)
        *error = std::move(why);
    return false;
}

bool validHostName(std::string_view host) {
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '-' || c == '.' || c == '_'))
            return false;
    }
    return !host.empty();
}

bool validIpv6(std::string_view host) {
    for (char c : host)
        if (!(std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '%'))
            return false;
    return host.find(':') != std::string_view::npos;
}

}  // namespace

bool isNetworkPortName(std::string_view name) {
    for (const Scheme& s : kSchemes)
        if (startsWithNoCase(name, s.prefix))
            return true;
    return false;
}

bool portRateIsFixed(std::string_view name) {
    const std::optional<PortUrl> url = parsePortUrl(name);
    return url && !url->setsLine();
}

std::optional<PortUrl> parsePortUrl(std::string_view name, std::string* error) {
    PortUrl url;
    std::string_view rest;
    std::string_view scheme;
    for (const Scheme& s : kSchemes) {
        if (startsWithNoCase(name, s.prefix)) {
            url.kind = s.kind;
            scheme = s.prefix;
            rest = name.substr(s.prefix.size());
            break;
        }
    }
    const std::string form = std::string(scheme.empty() ? "rfc2217://" : scheme) + "HOST:PORT";
    const std::string shown(name);
    if (scheme.empty()) {
        fail(error, shown + ": not a network port (the forms are rfc2217://HOST:PORT and "
                            "socket://HOST:PORT)");
        return std::nullopt;
    }
    // Anything after the address (a path, options) is not understood.
    while (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string_view host;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            fail(error, shown + ": the IPv6 address has no closing ']' (the form is " + form + ")");
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        if (after.empty() || after.front() != ':') {
            fail(error, shown + ": no port number (the form is " + form + ")");
            return std::nullopt;
        }
        portText = after.substr(1);
        if (!validIpv6(host)) {
            fail(error, shown + ": '" + std::string(host) + "' is not an IPv6 address");
            return std::nullopt;
        }
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos) {
            fail(error, shown + ": no port number (the form is " + form + ")");
            return std::nullopt;
        }
        host = rest.substr(0, colon);
        portText = rest.substr(colon + 1);
        if (host.empty()) {
            fail(error, shown + ": no host (the form is " + form + ")");
            return std::nullopt;
        }
        if (!validHostName(host)) {
            fail(error, shown + ": '" + std::string(host) + "' is not a host name or address");
            return std::nullopt;
        }
    }
    unsigned long port = 0;
    bool digits = !portText.empty() && portText.size() <= 5;
    for (char c : portText) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        port = port * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!digits || port == 0 || port > 65535) {
        fail(error, shown + ": '" + std::string(portText) +
                        "' is not a TCP port number (1 to 65535; the form is " + form + ")");
        return std::nullopt;
    }
    url.host = std::string(host);
    url.port = static_cast<std::uint16_t>(port);
    url.text = shown;
    return url;
}
