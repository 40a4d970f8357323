#pragma once

// Starts quorfw-sim from the build tree as a child process, for the tests that reach the
// simulator through a real serial tty (and so run in real time).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace quorfw {

// quorfw-sim as a child process; its first output line is the terminal path.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        const char* binaryDir = std::getenv("QUORFW_BINARY_DIR");
        if (binaryDir == nullptr) {
            return;
        }
        const std::string program = std::string(binaryDir) + "/sim/tools/quorfw-sim";
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];
        if (pid_ > 0) {
            path_ = ReadFirstLine(std::chrono::seconds(10));
        }
    }

    ~SimProcess()
    {
        (void)Stop();
        if (output_ >= 0) {
            ::close(output_);
        }
    }

    [[nodiscard]] const std::string& Path() const { return path_; }

    // SIGTERM, then the exit status (-1 when it did not end by itself within 5 s).
    int Stop()
    {
        if (pid_ <= 0) {
            return -1;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(10'000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }

private:
    std::string ReadFirstLine(std::chrono::milliseconds limit)
    {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd pfd{output_, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(output_, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return {};
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::string path_;
};

}  // namespace quorfw
