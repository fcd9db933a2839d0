#pragma once
// The standard output and error of a started program, read through a pipe as it comes,
// without ever waiting for the program.
#include <string>

#include "common/unique_handle.h"
#include "common/win.h"

class OutputPipe {
 public:
  // Makes the pipe; false when the system cannot.
  bool Open();
  // The end the program writes to (inheritable), for ProcessStart's output and error.
  HANDLE WriteEnd() const { return write_.Get(); }
  // Once the program has started: it holds the only write end, so its end ends the pipe.
  void CloseWriteEnd() { write_.Close(); }
  // What has arrived since the last call ("" when nothing has).
  std::string Drain();

 private:
  ScopedHandle read_;
  ScopedHandle write_;
};
