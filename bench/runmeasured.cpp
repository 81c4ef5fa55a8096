// runmeasured COMMAND [ARGUMENT...]: runs the command with its output thrown away and prints its
// wall seconds and peak resident set in KiB. A process started straight from a large one (the
// benchmark's Python) inherits that one's peak, so the benchmark starts each run through this small
// program instead, and the peak printed is the command's own.
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: runmeasured COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("runmeasured: fork");
        return 2;
    }
    if (child == 0) {
        const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nothing < 0 || dup2(nothing, STDOUT_FILENO) < 0)
            _exit(127);
        execvp(argv[1], argv + 1);
        std::perror("runmeasured: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("runmeasured: wait");
        return 2;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("%.6f %ld\n", wall.count(), usage.ru_maxrss);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
