#pragma once
// Two named auto-reset events through which a test drives a helper program one step at a time:
// the test changes something, lets the helper take a step and waits until it has written what
// it saw. Header only, so that the helper programs can use it too.
#include <string>

#include "common/win.h"

namespace vgtest {

class StepEvents {
 public:
  explicit StepEvents(const std::string& tag)
      : go_(::CreateEventA(nullptr, FALSE, FALSE, (tag + "-go").c_str())),
        done_(::CreateEventA(nullptr, FALSE, FALSE, (tag + "-done").c_str())) {}
  ~StepEvents() {
    if (go_) ::CloseHandle(go_);
    if (done_) ::CloseHandle(done_);
  }
  StepEvents(const StepEvents&) = delete;
  StepEvents& operator=(const StepEvents&) = delete;

  bool IsReady() const { return go_ != nullptr && done_ != nullptr; }

  // The test: one step of the helper, waited for.
  bool Step(DWORD timeoutMs = 30000) {
    return ::SetEvent(go_) && ::WaitForSingleObject(done_, timeoutMs) == WAIT_OBJECT_0;
  }
  // The helper: waits for the test's go, and tells it when the step is done.
  bool WaitForStep(DWORD timeoutMs = 60000) {
    return ::WaitForSingleObject(go_, timeoutMs) == WAIT_OBJECT_0;
  }
  void StepDone() { ::SetEvent(done_); }

 private:
  HANDLE go_;
  HANDLE done_;
};

}  // namespace vgtest
