#include "backup.hpp"

#include <vector>

#include <cstdio>
#include <string>

#include "database.hpp"
#include "errors.hpp"
#include "type_tags.hpp"

napi_type_tag Backup::TYPE_TAG = DrawTypeTag();

Napi::Function Backup::Init(Napi::Env env, Addon* addon) {
  return DefineClass(env, "Backup", std::vector<PropertyDescriptor>(), addon);
}

Backup::Backup(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Backup>(info) {
  Napi::Env env = info.Env();
  napi_status status = napi_type_tag_object(env, info.This(), &TYPE_TAG);
  NAPI_THROW_IF_FAILED_VOID(env, status);
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
