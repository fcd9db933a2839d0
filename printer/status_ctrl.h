#pragma once
// CStatusCtrl: the code rows and status records through which a reply becomes a status.
// Rows built from the model's STATUS lines come first, the built-in rows follow; index
// lookups run over the two contiguous blocks with the built-in rows behind them.
#include <cstdint>
#include <memory>
#include <string_view>

#include "printer/profile_info.h"
#include "printer/status_reply.h"
#include "printer/status_tables.h"

// Results of BuildRows besides 1 (all rows built) and 0 (the list ended early).
constexpr int kBuildOneLine = -1;     // a single STATUS line: it only closes the list
constexpr int kBuildNoRecords = -2;   // no lines at all, or no memory for the records
constexpr int kBuildNoCodeRows = -3;  // no memory for the code rows

constexpr int32_t kFirstProfileStatusNo = 100;

class CStatusCtrl {
 public:
  CStatusCtrl() = default;
  virtual ~CStatusCtrl();
  CStatusCtrl(const CStatusCtrl&) = delete;
  CStatusCtrl& operator=(const CStatusCtrl&) = delete;

  // Reads the STATUS lines of the named section from a whole INI text, then BuildRows.
  int LoadProfile(std::string_view fileText, std::string_view sectionName);
  // Turns all lines but the last into profile rows (see kBuild*).
  int BuildRows();

  // Profile records below GetRowCount(), then the built-in ones; nullptr beyond.
  const StatusRecord* GetRecord(int index) const;
  // Profile code rows below GetRowCount(), then the built-in ones; nullptr beyond.
  const StatusCodeRow* GetCodeRow(int index) const;
  int GetRowCount() const { return m_nRows; }
  int GetRecordCount() const { return m_nRows + m_nBuiltInRecords; }
  int GetCodeRowCount() const { return m_nRows + m_nBuiltInCodeRows; }

  // The index of the first code row that matches the reply, or -1.
  int FindCodeRow(const StatusReply& reply) const;
  // The index of the first record of that kind and number, walking until the list ends or
  // the kind-0 default record; kind 0 with number -1 gives that stopping index. -1 when none.
  int FindRecord(int32_t kind, int32_t statusNo) const;

  CProfileInfo& ProfileInfo() { return m_cProfile; }

 private:
  void FreeRows();
  // The status number of the first built-in code row equal to the line's values, or 0.
  static int32_t BuiltInStatusNo(const ProfileLine& line);

  std::unique_ptr<StatusRecord[]> m_pRecords;
  std::unique_ptr<StatusCodeRow[]> m_pCodeRows;
  CProfileInfo m_cProfile;
  int m_nBuiltInRecords = static_cast<int>(kBuiltInRecordCount);
  int m_nBuiltInCodeRows = static_cast<int>(kBuiltInCodeRowCount);
  int m_nRows = 0;
  int32_t m_nNextStatusNo = kFirstProfileStatusNo;
};

// A code row matches when its state, error and warning are wildcards or equal the reply's
// (low bytes compared), and its ink flags are 0 or equal the reply's ink class. The ink class
// is computed by the caller once, on first need; inkClass points to its cache (0 = unknown).
bool CodeRowMatches(const StatusCodeRow& row, const StatusReply& reply, uint32_t* inkClass);

// The display category of a profile row: display 1 gives 4 (alert) or 10, display 2 gives
// 11 or 12, any other display 1 or 9.
int32_t ProfileCategory(int32_t display, int32_t alert);
