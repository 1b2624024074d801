#include "backup.hpp"

#include <cstdio>
#include <string>

#include "class_definition.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "type_tags.hpp"

napi_type_tag Backup::TYPE_TAG = DrawTypeTag();

Napi::Function Backup::Init(Napi::Env env, Addon* addon) {
  return ::DefineClass<Backup>(env, "Backup", {}, addon);
}

Backup::Backup(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Backup>(info) {
  Napi::Env env = info.Env();
  if (!CheckStatus(env, napi_type_tag_object(env, info.This(), &TYPE_TAG))) return;
  Addon* addon = static_cast<Addon*>(info.Data());
  if (addon->pending_construction == nullptr) {
    ThrowTypeError(env, "Disabled constructor");
    return;
  }
}

Backup::~Backup() {
  if (alive) db->backups.erase(this);
  CloseHandles();
}

// Ends the copy; an unfinished destination file is removed when that was asked for.
void Backup::CloseHandles() {
  if (!alive) return;
  alive = false;
  std::string filename = sqlite3_db_filename(dest_handle, "main");
  sqlite3_backup_finish(backup_handle);
  sqlite3_close(dest_handle);
  if (unlink) std::remove(filename.c_str());
}
