// Runs a command and prints "WALL_S CPU_S PEAK_KIB" (CPU = user + system of
// the command) on standard error, with microsecond resolution.
//   measure COMMAND [ARGS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: measure COMMAND [ARGS...]\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    struct rusage ru {};
    if (wait4(pid, &status, 0, &ru) < 0) return 2;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                 static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    std::fprintf(stderr, "%.4f %.4f %ld\n", wall, cpu, ru.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
