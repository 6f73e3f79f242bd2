// Runs one command and writes its wall time in seconds and the peak resident set size in
// kB of the largest process in it (the command or any descendant it waited for, as
// wait4 reports it) to RESULT as one line "SECONDS KB". The command's own output goes
// where this program's goes. Exits with the command's status (128 + signal when killed).
//
//   measure RESULT COMMAND [ARG...]
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure RESULT COMMAND [ARG...]\n");
    return 2;
  }
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::fprintf(stderr, "measure: cannot run %s: %s\n", argv[2], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("measure: wait4");
      return 2;
    }
  }
  timespec end{};
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double seconds =
      static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
  FILE* result = std::fopen(argv[1], "w");
  if (!result || std::fprintf(result, "%.6f %ld\n", seconds, usage.ru_maxrss) < 0 ||
      std::fclose(result) != 0) {
    std::fprintf(stderr, "measure: cannot write %s\n", argv[1]);
    return 2;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
