#include "gui/x11/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace zt::ge::x11 {

std::string FindProgram(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!name || !*name || !path)
        return {};
    std::string paths = path;
    std::size_t start = 0;
    while (start <= paths.size()) {
        std::size_t end = paths.find(':', start);
        if (end == std::string::npos)
            end = paths.size();
        std::string folder = paths.substr(start, end - start);
        if (folder.empty())
            folder = ".";
        const std::string candidate = folder + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

CChildProcess::~CChildProcess()
{
    Terminate();
    CloseOutput();
}

bool CChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments, bool captureOutput)
{
    if (pid_ > 0 || arguments.empty())
        return false;
    output_.clear();
    exitStatus_ = -1;
    int pipeFds[2] = {-1, -1};
    if (captureOutput && pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (captureOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // The dialog programs chatter on standard error; none of it is for the host's log.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput)
        close(pipeFds[1]);
    if (error != 0) {
        if (captureOutput)
            close(pipeFds[0]);
        return false;
    }
    pid_ = pid;
    if (captureOutput) {
        outputFd_ = pipeFds[0];
        fcntl(outputFd_, F_SETFL, fcntl(outputFd_, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void CChildProcess::ReadOutput()
{
    if (outputFd_ < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(outputFd_, buffer, sizeof buffer);
        if (n > 0) {
            output_.append(buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            CloseOutput();  // the program closed its end
        return;
    }
}

void CChildProcess::CloseOutput()
{
    if (outputFd_ >= 0)
        close(outputFd_);
    outputFd_ = -1;
}

bool CChildProcess::Poll()
{
    if (pid_ <= 0)
        return true;
    ReadOutput();
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0)
        return false;
    if (done == pid_ && WIFEXITED(status))
        exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
    // What it wrote before it ended is all in the pipe now; anything that
    // inherited the pipe from it is not waited for.
    ReadOutput();
    CloseOutput();
    return true;
}

void CChildProcess::Wait()
{
    if (pid_ <= 0)
        return;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    if (WIFEXITED(status))
        exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
    ReadOutput();
    CloseOutput();
}

void CChildProcess::Terminate()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    CloseOutput();
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    pid_ = -1;
}

}  // namespace zt::ge::x11
