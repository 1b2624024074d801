#include "addon.hpp"

#include <sqlite3.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "database.hpp"
#include "errors.hpp"
#include "napi_calls.hpp"

Napi::Value Addon::JS_initialize(const Napi::CallbackInfo& info) {
  static const char* const MESSAGES[] = {
      "Expected first argument to be a function",  "Expected second argument to be a function",
      "Expected third argument to be a function",  "Expected fourth argument to be a function",
      "Expected fifth argument to be a function",
  };
  Napi::Env env = info.Env();
  for (size_t i = 0; i < 5; i++) {
    if (info.Length() <= i || !info[i].IsFunction()) {
      return ThrowTypeError(env, MESSAGES[i]);
    }
  }
  Addon* addon = static_cast<Addon*>(info.Data());
  addon->error_constructor = Napi::Persistent(info[0].As<Napi::Function>());
  addon->make_array = Napi::Persistent(info[1].As<Napi::Function>());
  addon->append_to_array = Napi::Persistent(info[2].As<Napi::Function>());
  addon->make_row_factory = Napi::Persistent(info[3].As<Napi::Function>());
  addon->make_iterator_record = Napi::Persistent(info[4].As<Napi::Function>());
  return env.Undefined();
}

void Addon::MakeRunResultFunction(Napi::Env env) {
  static const char SOURCE[] =
      "(function (changes, lastInsertRowid) { return { changes, lastInsertRowid }; })";
  napi_value source = nullptr;
  napi_value function = nullptr;
  if (CheckStatus(env, napi_create_string_utf8(env, SOURCE, sizeof SOURCE - 1, &source)) &&
      CheckStatus(env, napi_run_script(env, source, &function))) {
    make_run_result = Napi::Persistent(Napi::Function(env, function));
  }
}

namespace {

// SQLITE_USE_URI as the process's environment holds it now: 1 for "1", 0 for
// "0", -1 for any other value or none. On Windows the C runtime's getenv reads
// a copy made when the process started, which a script's assignment to
// process.env (SetEnvironmentVariableW) never reaches.
int UriSetting() {
#ifdef _WIN32
  wchar_t value[2];
  // A value of one character fits with its terminator and gives its length, 1.
  if (GetEnvironmentVariableW(L"SQLITE_USE_URI", value, 2) != 1) return -1;
  return value[0] == L'1' ? 1 : value[0] == L'0' ? 0 : -1;
#else
  const char* value = std::getenv("SQLITE_USE_URI");
  if (value == nullptr) return -1;
  return std::strcmp(value, "1") == 0 ? 1 : std::strcmp(value, "0") == 0 ? 0 : -1;
#endif
}

// Whether SQLite reads "file:" names as URIs in this process; the build's
// default is no.
bool uri_names_on = false;

}  // namespace

// SQLITE_USE_URI is read once per process: "1" turns URI file names on, "0" off,
// and any other value leaves the built-in default.
void Addon::ConfigureURI() {
  static std::once_flag once;
  std::call_once(once, [] {
    int setting = UriSetting();
    if (setting >= 0) sqlite3_config(SQLITE_CONFIG_URI, setting);
    uri_names_on = setting == 1;
  });
}

bool Addon::UriNamesOn() { return uri_names_on; }

// Environment teardown: close every open database without calling any script
// function, then free the record. Databases finalised later find themselves
// closed and never reach the freed record. The backups end first, while every
// connection is still open, so that an unfinished destination that one of them
// has open as a database is kept, whichever order they close in.
void Addon::Cleanup(void* data) {
  Addon* addon = static_cast<Addon*>(data);
  for (Database* db : addon->open_databases) {
    db->EndBackups();
  }
  for (Database* db : addon->open_databases) {
    db->CloseHandles();
  }
  addon->open_databases.clear();
  delete addon;
}
