#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zt::ge::x11 {

// The full path of a program found on PATH, or empty.
std::string FindProgram(const char* name);

// A helper program started without a shell (posix_spawn): its standard
// input and error lead nowhere, its standard output is collected when
// asked for. Nothing here blocks except Wait and the end of a process
// still running when its object goes, which terminates it first.
class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // arguments[0] is the program's name as it sees it. False when it could not start.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, bool captureOutput);
    // Takes what output there is and looks whether the program has ended.
    // True once it has (and all its output is in).
    bool Poll();
    void Wait();
    void Terminate();
    bool IsRunning() const { return pid_ > 0; }
    int GetExitStatus() const { return exitStatus_; }  // -1 unless it exited normally
    const std::string& GetOutput() const { return output_; }

private:
    void ReadOutput();
    void CloseOutput();

    pid_t pid_ = -1;
    int outputFd_ = -1;
    std::string output_;
    int exitStatus_ = -1;
};

}  // namespace zt::ge::x11
