#pragma once
// The decisions of the monitor's status query that need no system: what a status read's
// result asks for next, with the allowance of busy parallel ports, and when a repeated
// "printing" status stays quiet.
#include <cstdint>

namespace vgquery {

// What a QVGetStatus result asks the query to do next.
enum class ReadOutcome {
  kContinue,    // a reply is pending (first read) or was read (second read)
  kNothing,     // the printer had nothing to report: result 0
  kFailure,     // result -1, no status
  kSubstitute,  // the printer cannot be reached: a communication-error status instead
};

// The allowance of busy results (-5) on a parallel-port status channel: up to disableNum in
// a row report failure instead of the communication-error status. count is the library's
// count of tolerated errors, raised here; a decoded status sets it back to 0.
struct BusyAllowance {
  int disableNum = 0;
  bool lptStatusChannel = false;
  int* count = nullptr;
};

// The first read (size query) goes on with -4 or a positive result; the second read only
// with a positive one. 0 is nothing, -17 failure, -5 failure while the allowance lasts,
// every other negative result the substitute status.
ReadOutcome ClassifyStatusRead(int32_t result, bool firstRead, const BusyAllowance& allowance);

// The simple status number of a printer that is printing.
constexpr int kSimpleStatusPrinting = 13;

// True when a decoded status neither pops up nor sounds: a "printing" status (printing
// state 1, simple number 13) whose real number equals the last one reported.
bool IsRepeatedPrintingStatus(int printingState, int simpleStatusNo, int realStatusNo,
                              int lastRealStatusNo);

}  // namespace vgquery
