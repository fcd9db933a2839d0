#include "support/qvsim_library.h"

#include <cstring>

#include "common/system_library_win.h"
#include "support/win_test_support.h"

namespace vgtest {

bool QvSimLibrary::Load() {
  module_.Reset(::LoadLibraryA((BinDir() + "\\qvsim.dll").c_str()));
  if (!module_.IsValid()) return false;
  HMODULE m = module_.Get();
  return qvapi::BindFunctions(this, [m](const char* name) {
           return GetProcAs<void*>(m, name);
         }) == nullptr;
}

namespace {

template <typename Call>
QvSimLibrary::Read TwoCalls(Call call) {
  QvSimLibrary::Read read;
  read.first = call(nullptr, &read.firstSize);
  if (read.first != qvapi::kBufferTooSmall || read.firstSize <= 0) return read;
  // One spare byte, as the monitor allocates, marked to see what the library wrote.
  std::string buffer(static_cast<size_t>(read.firstSize) + 1, '\x7E');
  int32_t size = read.firstSize;
  read.second = call(&buffer[0], &size);
  read.secondMade = true;
  read.secondSize = size;
  read.buffer = buffer;
  if (read.second > 0 && size >= 0 && static_cast<size_t>(size) <= buffer.size()) {
    read.data = buffer.substr(0, static_cast<size_t>(size));
  }
  return read;
}

}  // namespace

QvSimLibrary::Read QvSimLibrary::ReadDeviceId(int32_t kind, const std::string& name) {
  return TwoCalls(
      [&](char* buffer, int32_t* size) { return QVGetDeviceID(kind, name.c_str(), buffer, size); });
}

QvSimLibrary::Read QvSimLibrary::ReadStatus(int32_t handle) {
  return TwoCalls([&](char* buffer, int32_t* size) { return QVGetStatus(handle, buffer, size); });
}

QvSimLibrary::Read QvSimLibrary::ReadChannels(int32_t kind, const std::string& name) {
  return TwoCalls([&](char* buffer, int32_t* size) {
    return QVGetAvailableChannel(kind, name.c_str(), buffer, size);
  });
}

std::vector<qvapi::ChannelRecord> QvSimLibrary::Channels(int32_t kind, const std::string& name) {
  const Read read = ReadChannels(kind, name);
  std::vector<qvapi::ChannelRecord> records;
  if (!read.secondMade || read.second <= 0) return records;
  records.resize(static_cast<size_t>(read.second));
  if (read.data.size() < records.size() * sizeof(qvapi::ChannelRecord)) return {};
  std::memcpy(records.data(), read.data.data(), records.size() * sizeof(qvapi::ChannelRecord));
  return records;
}

}  // namespace vgtest
