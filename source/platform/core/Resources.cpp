#include "platform/core/Resources.h"

#include <map>
#include <mutex>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {
struct ResourceData {
  const unsigned char* data;
  int64_t size;
};

std::map<std::string, ResourceData>& Table() {
  static std::map<std::string, ResourceData> table;
  return table;
}

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::string Key(const std::string& name, const std::string& type) {
  return UpperCase(type) + "/" + UpperCase(name);
}

ResourceData Lookup(const std::string& name, const std::string& type) {
  std::lock_guard<std::mutex> guard(TableLock());
  auto it = Table().find(Key(name, type));
  if (it == Table().end()) throw EResNotFound("Resource " + name + " not found");
  return it->second;
}
}  // namespace

void RegisterResource(const char* name, const char* type, const unsigned char* data, int64_t size) {
  std::lock_guard<std::mutex> guard(TableLock());
  Table()[Key(name, type)] = ResourceData{data, size};
}

bool FindResource(const std::string& name, const std::string& type) {
  std::lock_guard<std::mutex> guard(TableLock());
  return Table().count(Key(name, type)) != 0;
}

TResourceStream::TResourceStream(const std::string& name, const std::string& type)
    : TBytesStream(Lookup(name, type).data, Lookup(name, type).size) {}
