// Files that are not regular files, for the readers' tests: a directory, a
// named pipe with nobody writing, a device that never ends.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

namespace hostile {

inline std::filesystem::path makeFifo(const std::filesystem::path& dir, const std::string& name) {
    const auto path = dir / name;
    ::mkfifo(path.c_str(), 0600);
    return path;
}

// Runs `open` on another thread and says whether it returned within 10 s.
// If it did not, a writer is attached to the pipe so the thread can finish.
inline bool returnsPromptly(const std::function<void()>& open,
                            const std::filesystem::path& fifo = {}) {
    auto done = std::async(std::launch::async, open);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return true;
    if (!fifo.empty()) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    done.wait();
    return false;
}

}  // namespace hostile
