#include "link/open_error.h"

#include <cerrno>
#include <cstring>

#include <grp.h>
#include <sys/stat.h>

namespace {

// The group that may use the device; "dialout" when it cannot be told.
std::string deviceGroup(std::string_view path) {
    struct stat info {};
    if (path.empty() || ::stat(std::string(path).c_str(), &info) != 0)
        return "dialout";
    struct group entry {};
    struct group* found = nullptr;
    char buffer[1024];
    if (getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
        found->gr_name == nullptr || *found->gr_name == '\0' ||
        std::strcmp(found->gr_name, "root") == 0)
        return "dialout";
    return found->gr_name;
}

}  // namespace

std::string systemErrorText(int error) {
    // strerror() follows the process locale, which the window sets from the
    // user's; the message line stays in the program's own language.
    const char* text = strerrordesc_np(error);
    if (text != nullptr)
        return text;
    return "Unknown error " + std::to_string(error);
}

std::string describeOpenFailure(std::string_view name, std::string_view path,
                                std::string_view reason) {
    std::string shown;
    if (name.empty())
        shown = path;
    else if (path.empty() || name == path)
        shown = name;
    else
        shown = std::string(name) + " (" + std::string(path) + ")";
    if (shown.empty())
        return std::string(reason);
    return shown + ": " + std::string(reason);
}

std::string describeOpenError(std::string_view name, std::string_view path, int error) {
    std::string reason = systemErrorText(error);
    if (error == EACCES || error == EPERM)
        reason += " (is the user in the " + deviceGroup(path) + " group?)";
    else if (error == ENOTTY)
        reason += " (not a serial port)";
    return describeOpenFailure(name, path, reason);
}
