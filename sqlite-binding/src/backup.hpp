#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

#include "addon.hpp"
#include "database_files.hpp"

class Database;

// An online copy of one database of a connection into a destination file,
// which the Backup opens and owns. Scripts get one only from backup().
class Backup : public Napi::ObjectWrap<Backup> {
 public:
  static napi_type_tag TYPE_TAG;
  // This class's entry in the Addon's last_receivers.
  static constexpr int RECEIVER_SLOT = 3;

  explicit Backup(const Napi::CallbackInfo& info);
  ~Backup() override;

  static Napi::Function Init(Napi::Env env, Addon* addon);

  void CloseHandles();

  Database* db = nullptr;
  sqlite3* dest_handle = nullptr;
  sqlite3_backup* backup_handle = nullptr;
  uint64_t id = 0;
  bool alive = false;
  bool unlink = false;
  // The source schema, for its page count while the copy has not begun.
  std::string attached;
  // The file the destination connection opened, known by its identity; none
  // when it has no file of its own.
  std::optional<FileIdentity> destination_file;
  // Whether the destination is the backup's own to remove: it made the file,
  // or copied pages into it.
  bool owns_destination = false;
  // The script object of the source, whatever the script passed as `database`:
  // transfer() reads the source, so it must outlive the Backup.
  Napi::ObjectReference database_object;

 private:
  bool Start(Napi::Env env, const Napi::CallbackInfo& call);

  Napi::Value JS_transfer(const Napi::CallbackInfo& info);
  Napi::Value JS_close(const Napi::CallbackInfo& info);
};
