#include "printer/status_query_rules.h"

#include "common/qvapi.h"

namespace vgquery {

ReadOutcome ClassifyStatusRead(int32_t result, bool firstRead, const BusyAllowance& allowance) {
  if (result == 0) return ReadOutcome::kNothing;
  if (result == qvapi::kCommunicationOff) return ReadOutcome::kFailure;
  if (result == qvapi::kChannelBusy) {
    // A parallel port may be busy a few times in a row before the user hears of it.
    if (allowance.disableNum != 0 && allowance.lptStatusChannel && allowance.count != nullptr &&
        *allowance.count < allowance.disableNum) {
      ++*allowance.count;
      return ReadOutcome::kFailure;
    }
    return ReadOutcome::kSubstitute;
  }
  if (result > 0 || (firstRead && result == qvapi::kBufferTooSmall)) return ReadOutcome::kContinue;
  return ReadOutcome::kSubstitute;
}

bool IsRepeatedPrintingStatus(int printingState, int simpleStatusNo, int realStatusNo,
                              int lastRealStatusNo) {
  return printingState == 1 && simpleStatusNo == kSimpleStatusPrinting &&
         realStatusNo == lastRealStatusNo;
}

}  // namespace vgquery
