// The tq-sim program: prints its port, serves, and removes its link when
// it is stopped.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "pty_client.h"

#ifdef TQ_SIM_EXECUTABLE

namespace simtest {
namespace {

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child spawn(const std::vector<std::string>& args)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[1], STDOUT_FILENO);
        // Its error stream goes nowhere (dup2, unlike freopen, is safe after fork).
        if (const int devNull = ::open("/dev/null", O_WRONLY); devNull >= 0)
            ::dup2(devNull, STDERR_FILENO);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(TQ_SIM_EXECUTABLE));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[1]);
    return {pid, ::fdopen(pipeFd[0], "r")};
}

int waitExit(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TqSimExecutable, PrintsTheLinkServesAndCleansUp)
{
    const std::string link = "/tmp/tq-sim-exe-" + std::to_string(::getpid());
    Child child = spawn({"--link", link, "--format", "7", "--latency", "5", "--baud", "115200"});
    ASSERT_GT(child.pid, 0);
    ASSERT_NE(child.out, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, child.out), nullptr);
    EXPECT_EQ(std::string(line), link + "\n");

    {
        PtyClient client(link);
        ASSERT_TRUE(client.isOpen());
        const auto record = client.readRuntimeLine();
        ASSERT_TRUE(record);
        EXPECT_EQ(runtimeValues(*record, '7').size(), 25u);
        client.write("$V\r");
        client.readUntil([](const std::string& l) { return l == "$V"; });
        EXPECT_EQ(client.readReplyLine(), "TQ-REG V0.215 virtual");
    }
    ::kill(child.pid, SIGTERM);
    EXPECT_EQ(waitExit(child.pid), 0);
    std::fclose(child.out);
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link is removed";
}

TEST(TqSimExecutable, BadOptionGivesUsageExit64)
{
    Child child = spawn({"--format", "5"});
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(waitExit(child.pid), 64);
    std::fclose(child.out);
}

}  // namespace
}  // namespace simtest

#endif
