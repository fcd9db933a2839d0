#pragma once
// qvsim.dll loaded from the bin folder and bound exactly as the system binds a bidirectional
// library, with the two-call reads the system makes.
#include <string>
#include <vector>

#include "common/qvapi.h"
#include "common/unique_handle.h"

namespace vgtest {

// The twelve functions are the members of the bound table, named as the functions.
class QvSimLibrary : public qvapi::FunctionTable {
 public:
  // Loads and binds; false when the file or any of the twelve names is missing.
  bool Load();

  // A size query with a null buffer, then (only after -4) a read into a buffer of that size.
  struct Read {
    int32_t first = 0;
    int32_t firstSize = 0;
    int32_t second = 0;  // 0 when there was no second call
    bool secondMade = false;
    int32_t secondSize = 0;
    std::string data;    // the bytes the second call reported (its size after the call)
    std::string buffer;  // the whole buffer after the second call (one spare byte, '~')
  };
  Read ReadDeviceId(int32_t kind, const std::string& name);
  Read ReadStatus(int32_t handle);
  Read ReadChannels(int32_t kind, const std::string& name);
  std::vector<qvapi::ChannelRecord> Channels(int32_t kind, const std::string& name);

 private:
  ScopedModule module_;
};

}  // namespace vgtest
