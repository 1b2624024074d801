// The module imports Node-API from "node.exe" through a delay-load import
// library, so each function is bound at its first call. Hosts that embed Node
// carry Node-API in libnode.dll, and a host executable may have another name:
// this hook answers the name with libnode.dll when it is loaded in the process,
// else with the process's own executable, instead of letting the loader search
// for a file called node.exe.
#include <windows.h>
#include <delayimp.h>

namespace {

FARPROC WINAPI AnswerNodeModule(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || lstrcmpiA(info->szDll, "node.exe") != 0) return nullptr;
  HMODULE module = GetModuleHandleA("libnode.dll");
  if (module == nullptr) module = GetModuleHandleA(nullptr);
  return reinterpret_cast<FARPROC>(module);
}

}  // namespace

// The delay-load helper calls this hook before each of its steps.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = AnswerNodeModule;
}
