// The logon user, the shell processes and terminal services, per Windows version as Wine
// reports it to a helper program.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/logon_user_win.h"
#include "common/wts_api_win.h"
#include "support/scoped_registry_value.h"
#include "support/step_events.h"
#include "support/win_test_support.h"

namespace {

const char kProbe[] = "vglogonprobe.exe";
const char kWinlogon[] = "software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char kProductOptions[] = "System\\CurrentControlSet\\Control\\ProductOptions";

struct Account {
  std::string user;
  std::string domain;
};

// The account this test runs as: the reference the lookups are compared with.
Account CurrentAccount() {
  Account account;
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return account;
  BYTE info[1024];
  DWORD size = 0;
  if (::GetTokenInformation(token, TokenUser, info, sizeof info, &size)) {
    char user[256] = {};
    char domain[256] = {};
    DWORD userSize = sizeof user;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    if (::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(info)->User.Sid, user, &userSize,
                            domain, &domainSize, &use)) {
      account = {user, domain};
    }
  }
  ::CloseHandle(token);
  return account;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

int TerminalServerUnder(const std::string& version) {
  vgtest::SetProgramWindowsVersion(kProbe, version);
  vgtest::ProcessResult run = vgtest::RunProgram(kProbe, "ts");
  vgtest::SetProgramWindowsVersion(kProbe, "");
  return run.finished ? static_cast<int>(run.exitCode) : -1;
}

struct LogonAnswer {
  bool ran = false;
  std::string user;
  std::string domain;
  int found = -1;
  int same = -1;
  std::vector<std::string> log;  // the texts this run logged
  bool Logged(const std::string& text) const {
    return std::find(log.begin(), log.end(), text) != log.end();
  }
};

LogonAnswer LogonUnder(const std::string& version, const std::string& exe = kProbe) {
  vgtest::SetProgramWindowsVersion(kProbe, version);
  const std::string dir = vgtest::MakeTempDir("logon");
  const std::string resultFile = dir + "\\result.txt";
  vgtest::ProcessResult run = vgtest::RunProgram(exe, "logon \"" + resultFile + "\"");
  vgtest::SetProgramWindowsVersion(kProbe, "");
  LogonAnswer answer;
  answer.ran = run.finished && run.exitCode == 0;
  std::istringstream in(vgtest::ReadFile(resultFile));
  std::string found, same, logPath, offset;
  std::getline(in, answer.user);
  std::getline(in, answer.domain);
  std::getline(in, found);
  std::getline(in, same);
  std::getline(in, logPath);
  std::getline(in, offset);
  vgtest::RemoveTree(dir);
  if (!answer.ran) return answer;
  answer.found = std::stoi(found);
  answer.same = std::stoi(same);
  if (logPath.empty()) return answer;  // no log on this Windows
  // Each line: process id, ":", ten-digit tick count, ": ", then the text.
  for (const auto& line : vgtest::LogLinesOf(logPath, run.processId, 4, std::stoul(offset))) {
    const size_t text = line.find(": ");
    if (text != std::string::npos) answer.log.push_back(line.substr(text + 2));
  }
  return answer;
}

// A stand-in shell: copies of the helper program under a name of their own, which the
// Winlogon "Shell" value names in other letter case.
class FakeShell {
 public:
  FakeShell() : dir_(vgtest::MakeTempDir("shell")) {
    const std::string name = Lower(vgtest::UniqueName("vgshell")) + ".exe";
    exe_ = dir_ + "\\" + name;
    shellName_ = Upper(name);
    ::CopyFileA((vgtest::BinDir() + "\\" + kProbe).c_str(), exe_.c_str(), FALSE);
  }
  ~FakeShell() {
    for (auto& process : processes_) process->Kill();
    processes_.clear();
    vgtest::RemoveTree(dir_);
  }
  DWORD Start() {
    processes_.push_back(std::make_unique<vgtest::ChildProcess>());
    return processes_.back()->Start(exe_, "sleep 60000") ? processes_.back()->Id() : 0;
  }
  const std::string& ShellName() const { return shellName_; }
  void StopAll() {
    for (auto& process : processes_) process->Kill();
  }

 private:
  std::string dir_;
  std::string exe_;
  std::string shellName_;
  std::vector<std::unique_ptr<vgtest::ChildProcess>> processes_;
};

class LogonUserTest : public ::testing::Test {
 protected:
  vgtest::ScopedRegistryValue shell_{HKEY_LOCAL_MACHINE, kWinlogon, "Shell"};
  vgtest::ScopedRegistryValue defaultUser_{HKEY_LOCAL_MACHINE, kWinlogon, "DefaultUserName"};
  vgtest::ScopedRegistryValue defaultDomain_{HKEY_LOCAL_MACHINE, kWinlogon, "DefaultDomainName"};
  Account self_ = CurrentAccount();
};

TEST(TerminalServer, AnswerPerWindowsVersion) {
  vgtest::ScopedRegistryValue suite(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite");
  suite.Remove();
  EXPECT_EQ(TerminalServerUnder("win98"), 0);
  EXPECT_EQ(TerminalServerUnder("nt40"), 0);
  EXPECT_EQ(TerminalServerUnder("win2k"), 0) << "Wine's Windows 2000 has no terminal suite";
  EXPECT_EQ(TerminalServerUnder("winxp"), 1);
  EXPECT_EQ(TerminalServerUnder("win7"), 1);
}

TEST(TerminalServer, NtFourReadsTheProductSuiteList) {
  vgtest::ScopedRegistryValue suite(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite");
  suite.SetMultiString({"Small Business", "Terminal Server"});
  EXPECT_EQ(TerminalServerUnder("nt40"), 1);
  EXPECT_EQ(TerminalServerUnder("win98"), 0) << "9x has no terminal services";
  EXPECT_EQ(TerminalServerUnder("win2k"), 0) << "2000 asks its suite mask, not the list";
  suite.SetMultiString({"terminal server"});
  EXPECT_EQ(TerminalServerUnder("nt40"), 0) << "entries compare exactly";
  suite.SetString("Terminal Server");
  EXPECT_EQ(TerminalServerUnder("nt40"), 0) << "only a list counts";
}

TEST(WtsApi, ForwardersNeedTheLibraryAndTerminalServices) {
  CWtsApi wts;
  LPSTR buffer = nullptr;
  DWORD bytes = 0;
  ::SetLastError(0);
  EXPECT_FALSE(wts.WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                               WTSUserName, &buffer, &bytes));
  EXPECT_EQ(::GetLastError(), CWtsApi::kErrorNotAvailable);
  ::SetLastError(0);
  EXPECT_FALSE(wts.WTSFreeMemory(nullptr));
  EXPECT_EQ(::GetLastError(), CWtsApi::kErrorNotAvailable);

  ASSERT_TRUE(wts.Load());
  ::SetLastError(0);
  EXPECT_FALSE(wts.WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                               WTSUserName, &buffer, &bytes))
      << "loaded, but terminal services were not asked for";
  EXPECT_EQ(::GetLastError(), CWtsApi::kErrorNotAvailable);

  ASSERT_TRUE(wts.IsTerminalServer()) << "this test program runs as a later Windows";
  char user[kSessionTextSize] = "stale";
  EXPECT_TRUE(QuerySessionString(wts, WTS_CURRENT_SESSION, WTSUserName, user));
  EXPECT_EQ(Upper(user), Upper(CurrentAccount().user));
  EXPECT_TRUE(wts.IsLoaded());

  // The library comes from the system folder.
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, sizeof system);
  char loaded[MAX_PATH] = {};
  ::GetModuleFileNameA(::GetModuleHandleA("wtsapi32.dll"), loaded, sizeof loaded);
  EXPECT_EQ(Upper(loaded), Upper(std::string(system) + "\\wtsapi32.dll"));

  wts.Unload();
  EXPECT_FALSE(wts.IsLoaded());
  ::SetLastError(0);
  EXPECT_FALSE(wts.WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                               WTSUserName, &buffer, &bytes));
  EXPECT_EQ(::GetLastError(), CWtsApi::kErrorNotAvailable) << "unloading clears both flags";
}

TEST(WtsApi, PlantedLibraryBesideTheProgramIsNeverUsed) {
  const std::string dir = vgtest::MakeTempDir("planted");
  const std::string exe = dir + "\\" + kProbe;
  ASSERT_TRUE(::CopyFileA((vgtest::BinDir() + "\\" + kProbe).c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileA((vgtest::BinDir() + "\\vgplanted.dll").c_str(),
                          (dir + "\\WTSAPI32.DLL").c_str(), FALSE));

  // A load by bare name would take the planted file: the set-up is a real trap.
  const std::string resultFile = dir + "\\bare.txt";
  vgtest::ProcessResult bare = vgtest::RunProgram(exe, "bareload \"" + resultFile + "\"");
  ASSERT_TRUE(bare.finished);
  EXPECT_EQ(Upper(vgtest::ReadFile(resultFile)), Upper(dir + "\\WTSAPI32.DLL\n"));

  const std::string sessionFile = dir + "\\session.txt";
  vgtest::SetProgramWindowsVersion(kProbe, "winxp");
  vgtest::ProcessResult session = vgtest::RunProgram(exe, "session \"" + sessionFile + "\"");
  vgtest::SetProgramWindowsVersion(kProbe, "");
  ASSERT_TRUE(session.finished);
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(Upper(vgtest::ReadFile(sessionFile)),
            Upper(CurrentAccount().user + "\n" + system + "\\wtsapi32.dll\n"));
  vgtest::RemoveTree(dir);
}

TEST_F(LogonUserTest, ShellNameComesFromWinlogon) {
  shell_.SetString("MyShell.exe");
  char name[MAX_PATH] = "stale";
  DWORD size = sizeof name;
  EXPECT_EQ(GetShellName(name, &size), 1);
  EXPECT_STREQ(name, "MyShell.exe");
  EXPECT_EQ(size, 12u);

  char tiny[4] = "abc";
  size = sizeof tiny;
  EXPECT_EQ(GetShellName(tiny, &size), 1);
  EXPECT_STREQ(tiny, "") << "a value that does not fit is not cut";
  EXPECT_EQ(size, 12u) << "the size it needs";

  shell_.Remove();
  size = sizeof name;
  EXPECT_EQ(GetShellName(name, &size), 1);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(GetShellName(nullptr, &size), 0);
}

TEST_F(LogonUserTest, ShellProcessesMatchInAnyLetterCaseAndFillTheArrayOnly) {
  FakeShell fake;
  shell_.SetString(fake.ShellName());
  std::vector<DWORD> started;
  for (int i = 0; i < 3; ++i) {
    DWORD id = fake.Start();
    ASSERT_NE(id, 0u);
    started.push_back(id);
  }
  auto isStarted = [&](DWORD id) {
    return std::find(started.begin(), started.end(), id) != started.end();
  };

  DWORD ids[8] = {};
  EXPECT_EQ(GetShellProcessIds(ids, 3), 0u) << "smaller than one id";
  EXPECT_EQ(GetShellProcessIds(nullptr, sizeof ids), 0u);
  ids[1] = 0xDEAD;
  EXPECT_EQ(GetShellProcessIds(ids, 4), 1u);
  EXPECT_TRUE(isStarted(ids[0]));
  EXPECT_EQ(ids[1], 0xDEADu) << "nothing is written past the array";
  EXPECT_EQ(GetShellProcessIds(ids, 11), 2u) << "whole ids only";
  EXPECT_EQ(GetShellProcessIds(ids, sizeof ids), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(isStarted(ids[i]));

  // An empty "Shell" means the standard shell, not every process.
  shell_.SetString("");
  DWORD all[128] = {};
  const DWORD count = GetShellProcessIds(all, sizeof all);
  for (DWORD i = 0; i < count; ++i) EXPECT_FALSE(isStarted(all[i]));
}

TEST_F(LogonUserTest, AccountOfAProcess) {
  char user[kLogonNameSize] = {};
  char domain[kLogonNameSize] = {};
  DWORD userSize = sizeof user;
  DWORD domainSize = sizeof domain;
  ASSERT_EQ(GetProcessAccountName(::GetCurrentProcessId(), user, &userSize, domain, &domainSize),
            1);
  EXPECT_EQ(std::string(user), self_.user);
  EXPECT_EQ(std::string(domain), self_.domain);

  userSize = 0;
  domainSize = sizeof domain;
  EXPECT_EQ(GetProcessAccountName(::GetCurrentProcessId(), user, &userSize, domain, &domainSize),
            0);
  userSize = sizeof user;
  EXPECT_EQ(GetProcessAccountName(::GetCurrentProcessId(), nullptr, &userSize, domain, &domainSize),
            0);
  EXPECT_EQ(GetProcessAccountName(::GetCurrentProcessId(), user, &userSize, domain, nullptr), 0);
  EXPECT_EQ(GetProcessAccountName(0xFFFFFFF0, user, &userSize, domain, &domainSize), 0);
}

TEST(Administrator, ProcessTokenAndAnImpersonatingThread) {
  EXPECT_EQ(IsAdministrator(), 1) << "Wine's user is an administrator";

  // A token that keeps Administrators only for denying access does not count.
  HANDLE process = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &administrators));
  SID_AND_ATTRIBUTES disable = {administrators, 0};
  HANDLE restricted = nullptr;
  ASSERT_TRUE(
      ::CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted));
  HANDLE impersonation = nullptr;
  ASSERT_TRUE(::DuplicateToken(restricted, SecurityImpersonation, &impersonation));
  ASSERT_TRUE(::SetThreadToken(nullptr, impersonation));
  const int onThread = IsAdministrator();
  ::RevertToSelf();
  EXPECT_EQ(onThread, 0) << "the thread's token is asked first";
  EXPECT_EQ(IsAdministrator(), 1);
  ::CloseHandle(impersonation);
  ::CloseHandle(restricted);
  ::CloseHandle(process);
  ::FreeSid(administrators);
}

TEST_F(LogonUserTest, WindowsTwoThousandTakesTheShellProcessAccount) {
  FakeShell fake;
  shell_.SetString(fake.ShellName());
  ASSERT_NE(fake.Start(), 0u);
  defaultUser_.SetString("NotThisOne");
  defaultDomain_.SetString("NOTTHISDOMAIN");

  LogonAnswer answer = LogonUnder("win2k");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(answer.user, self_.user);
  EXPECT_EQ(answer.domain, self_.domain);
  EXPECT_EQ(answer.found, 1);
  EXPECT_EQ(answer.same, 1);
  EXPECT_TRUE(answer.Logged("GetProcessAccountName : success"));
  EXPECT_TRUE(answer.Logged("Logon user name : " + self_.user));
  EXPECT_TRUE(answer.Logged("Logon domain name : " + self_.domain));
  EXPECT_TRUE(answer.Logged("same logon user"));
  EXPECT_FALSE(answer.Logged("GetProcessAccountName : failed"));
}

TEST_F(LogonUserTest, WithoutAShellProcessTheWinlogonDefaultsApply) {
  shell_.SetString(Upper(vgtest::UniqueName("noshell")) + ".EXE");
  defaultUser_.SetString("VgSomeoneElse");
  defaultDomain_.SetString("VGDOMAIN");
  LogonAnswer answer = LogonUnder("win2k");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(answer.user, "VgSomeoneElse");
  EXPECT_EQ(answer.domain, "VGDOMAIN");
  EXPECT_EQ(answer.same, 0);
  EXPECT_TRUE(answer.Logged("GetProcessAccountName : failed"));
  EXPECT_TRUE(answer.Logged("Logon user name : VgSomeoneElse"));
  EXPECT_TRUE(answer.Logged("Logon domain name : VGDOMAIN"));
  EXPECT_FALSE(answer.Logged("same logon user"));

  // The same account in other letter case is the same user.
  defaultUser_.SetString(Upper(self_.user));
  defaultDomain_.SetString(Lower(self_.domain));
  answer = LogonUnder("nt40");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(answer.user, Upper(self_.user));
  EXPECT_EQ(answer.same, 1);
  EXPECT_TRUE(answer.Logged("same logon user"));
}

TEST_F(LogonUserTest, EmptyDefaultsGiveNoUserWhoIsNeverTheProcessAccount) {
  shell_.SetString(Upper(vgtest::UniqueName("noshell")) + ".EXE");
  defaultUser_.Remove();
  defaultDomain_.Remove();
  LogonAnswer answer = LogonUnder("win2k");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(answer.user, "");
  EXPECT_EQ(answer.domain, "");
  EXPECT_EQ(answer.found, 0);
  EXPECT_EQ(answer.same, 0);
  EXPECT_TRUE(answer.Logged("Logon user name : "));
}

TEST_F(LogonUserTest, TerminalServicesAnswerFromTheSession) {
  FakeShell fake;
  shell_.SetString(fake.ShellName());
  ASSERT_NE(fake.Start(), 0u);
  LogonAnswer answer = LogonUnder("winxp");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(Upper(answer.user), Upper(self_.user));
  EXPECT_EQ(Upper(answer.domain), Upper(self_.domain));
  EXPECT_EQ(answer.same, 1);
  EXPECT_FALSE(answer.Logged("GetProcessAccountName : success")) << "no shell was asked";
  EXPECT_FALSE(answer.Logged("GetProcessAccountName : failed"));
}

TEST_F(LogonUserTest, NineXHasNoLogonUser) {
  defaultUser_.SetString("VgSomeoneElse");
  LogonAnswer answer = LogonUnder("win98");
  ASSERT_TRUE(answer.ran);
  EXPECT_EQ(answer.user, "");
  EXPECT_EQ(answer.found, 0);
}

// The kept logon user of a helper program under another Windows version, asked for step by
// step in one process, so that what its cache keeps can be seen between the steps.
class LogonSteps {
 public:
  struct Facts {
    bool ok = false;
    std::string user;
    std::string domain;
    int same = -1;
    unsigned long generation = 0;
  };

  LogonSteps(const std::string& version, int count)
      : tag_(vgtest::UniqueName("vglogonsteps")), events_(tag_), dir_(vgtest::MakeTempDir("steps")) {
    vgtest::SetProgramWindowsVersion(kProbe, version);
    file_ = dir_ + "\\facts.txt";
    started_ = events_.IsReady() &&
               child_.Start(kProbe, "steps " + tag_ + " \"" + file_ + "\" " + std::to_string(count));
  }
  ~LogonSteps() {
    child_.Kill();
    vgtest::SetProgramWindowsVersion(kProbe, "");
    vgtest::RemoveTree(dir_);
  }

  Facts Step() {
    Facts facts;
    if (!started_ || !events_.Step()) return facts;
    std::istringstream lines(vgtest::ReadFile(file_));
    std::string line, last;
    while (std::getline(lines, line)) last = line;
    std::istringstream fields(last);
    std::string same, generation;
    if (std::getline(fields, facts.user, '|') && std::getline(fields, facts.domain, '|') &&
        std::getline(fields, same, '|') && std::getline(fields, generation)) {
      facts.same = std::stoi(same);
      facts.generation = std::stoul(generation);
      facts.ok = true;
    }
    return facts;
  }

 private:
  std::string tag_;
  vgtest::StepEvents events_;
  std::string dir_;
  std::string file_;
  vgtest::ChildProcess child_;
  bool started_ = false;
};

TEST_F(LogonUserTest, KeptUserHoldsUntilTheWinlogonDefaultsChange) {
  shell_.SetString(Upper(vgtest::UniqueName("noshell")) + ".EXE");
  defaultUser_.SetString("VgAlice");
  defaultDomain_.SetString("VGDOMAIN");
  LogonSteps steps("win2k", 3);
  const LogonSteps::Facts first = steps.Step();
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.user, "VgAlice");
  EXPECT_EQ(first.same, 0);

  const LogonSteps::Facts kept = steps.Step();
  ASSERT_TRUE(kept.ok);
  EXPECT_EQ(kept.user, "VgAlice");
  EXPECT_EQ(kept.generation, first.generation) << "nothing changed: not looked up again";

  defaultUser_.SetString("VgBob");
  const LogonSteps::Facts changed = steps.Step();
  ASSERT_TRUE(changed.ok);
  EXPECT_EQ(changed.user, "VgBob") << "another logon user";
  EXPECT_GT(changed.generation, first.generation);
}

TEST_F(LogonUserTest, KeptUserHoldsUntilItsShellProcessEnds) {
  FakeShell fake;
  shell_.SetString(fake.ShellName());
  ASSERT_NE(fake.Start(), 0u);
  defaultUser_.SetString("VgSomeoneElse");
  defaultDomain_.SetString("VGDOMAIN");
  LogonSteps steps("win2k", 3);
  const LogonSteps::Facts first = steps.Step();
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.user, self_.user) << "the shell process's account";
  EXPECT_EQ(first.same, 1);
  EXPECT_EQ(steps.Step().generation, first.generation);

  fake.StopAll();
  const LogonSteps::Facts changed = steps.Step();
  ASSERT_TRUE(changed.ok);
  EXPECT_EQ(changed.user, "VgSomeoneElse") << "its user logged off: the Winlogon default";
  EXPECT_EQ(changed.same, 0);
  EXPECT_GT(changed.generation, first.generation);
}

TEST(LogonUserFacts, KeptUntilAUsersHiveComesOrGoes) {
  const Account self = CurrentAccount();
  const LogonUserFacts first = GetLogonUserFacts();
  EXPECT_EQ(Upper(first.user), Upper(self.user)) << "terminal services name this session's user";
  EXPECT_TRUE(first.found);
  EXPECT_TRUE(first.sameUser);
  char user[kLogonNameSize] = {};
  char domain[kLogonNameSize] = {};
  GetLogonUser(user, domain);
  EXPECT_STREQ(first.user, user) << "the same answer as GetLogonUser";
  EXPECT_STREQ(first.domain, domain);
  EXPECT_EQ(GetLogonUserFacts().generation, first.generation);

  // A user logging on or off loads or unloads a hive under HKEY_USERS.
  const std::string hive = vgtest::UniqueName("VgHive");
  vgtest::SetDword(HKEY_USERS, hive, "Value", 1);
  const LogonUserFacts loaded = GetLogonUserFacts();
  EXPECT_GT(loaded.generation, first.generation);
  EXPECT_EQ(GetLogonUserFacts().generation, loaded.generation);
  vgtest::DeleteKeyTree(HKEY_USERS, hive);
  EXPECT_GT(GetLogonUserFacts().generation, loaded.generation);
}

TEST(SameLogonUser, ComparesBothNamesWithoutLetterCase) {
  const Account self = CurrentAccount();
  EXPECT_EQ(IsSameLogonUser(Lower(self.user).c_str(), Upper(self.domain).c_str()), 1);
  EXPECT_EQ(IsSameLogonUser(self.user.c_str(), "OTHERDOMAIN"), 0);
  EXPECT_EQ(IsSameLogonUser((self.user + "x").c_str(), self.domain.c_str()), 0);
  EXPECT_EQ(IsSameLogonUser("", ""), 0);
  EXPECT_EQ(IsSameLogonUser(nullptr, self.domain.c_str()), 0);
}

}  // namespace
