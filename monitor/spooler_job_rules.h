#pragma once
// Which queued jobs count as real work for the monitor. The jobs that the system makes to
// talk to the printer (and the spooler's placeholder for older clients) do not.
#include <string_view>

namespace vgmon {

// "Local DownLevel Document", "<<<*** Checking printer status. ***>>>" or
// "<<<*** KORVA QVAPI Dummy Document Data ***>>>", in any case.
bool IsDummyDocument(std::string_view documentName);

// The answer for the first (at most two) queued jobs: 1 real work, 0 no job or one dummy,
// -2 a single job without a document name. The log line that goes with it is returned too.
struct QueueVerdict {
  int result;
  const char* logText;
  bool logsName;  // the document name follows the text (" : name")
};
QueueVerdict JudgeQueue(int jobsReturned, const char* singleDocumentName);

// A local printer that prints to a share of a print server: on NT, when the printer name does
// not start with a backslash and the port begins with two.
bool ShouldAskServerQueue(bool ntPlatform, std::string_view printer, std::string_view port);

}  // namespace vgmon
