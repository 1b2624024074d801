#include "fd_vfs.hpp"

thread_local uint64_t FdVfs::operation = 0;
