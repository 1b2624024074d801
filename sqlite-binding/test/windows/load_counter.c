// Loads the module the way any host does, without registering it, and counts
// the random draws made meanwhile. Loading runs the module's static
// initialisers inside DllMain, under the loader lock, where Windows advises
// against calling into other libraries such as bcrypt: the module draws its
// type tags at its first registration instead.
// Usage: load_counter MODULE
#include <windows.h>
#include <bcrypt.h>
#include <stdio.h>
#include <string.h>

static volatile LONG draws;

static NTSTATUS WINAPI CountingGenRandom(BCRYPT_ALG_HANDLE algorithm, PUCHAR buffer, ULONG size, ULONG flags) {
  (void)algorithm;
  (void)flags;
  InterlockedIncrement(&draws);
  memset(buffer, 0x5a, size);
  return 0;
}

// Makes every call of BCryptGenRandom in the process, the module's included,
// come to CountingGenRandom: its first bytes become "mov rax, target; jmp rax".
static int Divert(FARPROC from, void* to) {
  unsigned char jump[12] = {0x48, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xe0};
  memcpy(jump + 2, &to, sizeof to);
  DWORD protection;
  if (!VirtualProtect((void*)from, sizeof jump, PAGE_EXECUTE_READWRITE, &protection)) return 0;
  memcpy((void*)from, jump, sizeof jump);
  return FlushInstructionCache(GetCurrentProcess(), (void*)from, sizeof jump);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: load_counter MODULE\n");
    return 2;
  }
  FARPROC generator = GetProcAddress(LoadLibraryA("bcrypt.dll"), "BCryptGenRandom");
  if (generator == NULL || !Divert(generator, (void*)CountingGenRandom)) {
    fprintf(stderr, "cannot divert BCryptGenRandom: error %lu\n", GetLastError());
    return 2;
  }
  // The diversion counts: a draw of this program's own is seen.
  UCHAR probe[4];
  BCryptGenRandom(NULL, probe, sizeof probe, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (draws != 1 || probe[0] != 0x5a) {
    fprintf(stderr, "the diversion of BCryptGenRandom did not take\n");
    return 2;
  }
  draws = 0;
  if (LoadLibraryA(argv[1]) == NULL) {
    fprintf(stderr, "cannot load %s: error %lu\n", argv[1], GetLastError());
    return 2;
  }
  printf("random draws while loading the module: %ld\n", draws);
  return draws == 0 ? 0 : 1;
}
