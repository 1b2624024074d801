// lock_probe <file>: asks with F_GETLK which record locks other processes hold on
// SQLite's lock bytes of a database file, and prints them as one JSON object,
// for example {"pending":"none","reserved":"write","shared":"read"}. A lock held
// by the probing process itself would not show, so the tests run it as a child.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

const char* Probe(int fd, off_t start, off_t length) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  if (fcntl(fd, F_GETLK, &lock) != 0) return "error";
  if (lock.l_type == F_UNLCK) return "none";
  return lock.l_type == F_RDLCK ? "read" : "write";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lock_probe <file>\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  if (fd == -1) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("{\"pending\":\"%s\",\"reserved\":\"%s\",\"shared\":\"%s\"}\n", Probe(fd, 0x40000000, 1),
              Probe(fd, 0x40000001, 1), Probe(fd, 0x40000002, 510));
  return 0;
}
