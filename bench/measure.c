// Runs one command and prints "WALL_NS MAXRSS_KIB" for it: wall time from just before fork to
// wait4's return, peak resident set size from wait4's rusage (what GNU time's %M reports, but
// with nanosecond rather than 10 ms resolution). The command's stdout goes to /dev/null.
// Linked statically so the forked child starts from a tiny footprint before it execs.
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] != '/') {
    fprintf(stderr, "usage: measure /ABSOLUTE/PROGRAM [ARG...]\n");
    return 2;
  }
  struct timespec start, end;
  struct rusage usage;
  int status = 0;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) dup2(null_fd, 1);
    execv(argv[1], argv + 1);
    perror(argv[1]);
    _exit(127);
  }
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    perror("measure");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  long long ns = (end.tv_sec - start.tv_sec) * 1000000000LL + (end.tv_nsec - start.tv_nsec);
  printf("%lld %ld\n", ns, usage.ru_maxrss);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "measure: %s failed (status 0x%x)\n", argv[1], status);
    return 1;
  }
  return 0;
}
