#include "tools/vgpop/popup_requests.h"

#include "common/text_util.h"

namespace vgpop {

namespace {
// The monitor's code for a block sent to an open pop-up window.
constexpr uint8_t kCodeToPopup = 2;
}  // namespace

bool IsViewOption(std::string_view optionName) {
  return vgtext::EqualsNoCase(optionName, kViewOption);
}

Action ActionOfStart(std::string_view viewPrinter, std::string_view jobId) {
  if (!viewPrinter.empty()) return Action::kShowDetail;
  return jobId.empty() ? Action::kShowPopup : Action::kBackground;
}

void JobMemory::Note(std::string_view jobId) {
  if (jobId.empty() || Knows(jobId)) return;
  if (m_jobs.size() >= kKeptJobs) m_jobs.pop_front();
  m_jobs.emplace_back(jobId);
}

bool JobMemory::Knows(std::string_view jobId) const {
  for (const std::string& job : m_jobs) {
    if (job == jobId) return true;
  }
  return false;
}

Action JobMemory::ActionOfBlock(uint8_t code, std::string_view jobId) {
  if (code != kCodeToPopup) return Action::kIgnore;
  if (jobId.empty() || Knows(jobId)) return Action::kShowPopup;
  Note(jobId);
  return Action::kBackground;
}

bool ShouldEnd(bool monitorRunning, bool windowOpen, bool requestPending) {
  return !monitorRunning && !windowOpen && !requestPending;
}

}  // namespace vgpop
