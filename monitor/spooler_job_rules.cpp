#include "monitor/spooler_job_rules.h"

#include "common/text_util.h"

namespace vgmon {

bool IsDummyDocument(std::string_view documentName) {
  static const char* const kDummies[] = {"Local DownLevel Document",
                                         "<<<*** Checking printer status. ***>>>",
                                         "<<<*** KORVA QVAPI Dummy Document Data ***>>>"};
  for (const char* dummy : kDummies) {
    if (vgtext::EqualsNoCase(documentName, dummy)) return true;
  }
  return false;
}

QueueVerdict JudgeQueue(int jobsReturned, const char* singleDocumentName) {
  if (jobsReturned <= 0) {
    return {0, "[ChkSubSpoolerJob] monitoring is finish, because cReturned is zero.", false};
  }
  if (jobsReturned > 1) {
    // Names are only looked at for a single job: two dummies still count as work.
    return {1, "[ChkSubSpoolerJob] monitoring is continued. (1)", false};
  }
  if (singleDocumentName == nullptr) {
    return {-2, "[ChkSubSpoolerJob] monitoring is finish, because unkown document name.", false};
  }
  if (!IsDummyDocument(singleDocumentName)) {
    return {1, "[ChkSubSpoolerJob] monitoring is continued. (2)", false};
  }
  return {0, "[ChkSubSpoolerJob] monitoring is finish, because jobs is dummy.", true};
}

bool ShouldAskServerQueue(bool ntPlatform, std::string_view printer, std::string_view port) {
  if (!ntPlatform) return false;
  if ((printer.size() > 0 && printer[0] == '\\') || (printer.size() > 1 && printer[1] == '\\')) {
    return false;
  }
  return port.size() >= 2 && port[0] == '\\' && port[1] == '\\';
}

}  // namespace vgmon
