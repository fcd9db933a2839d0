// Starting programs: what a started program receives (streams, handles, folder, show state)
// and what the starter reports back (exit code, process id, the end of its time).
#include <gtest/gtest.h>

#include <string>

#include "common/process_start_win.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "support/win_test_support.h"

namespace {

const char kProbe[] = "vgprocessprobe.exe";

class ProcessStartTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = vgtest::MakeTempDir("start"); }
  void TearDown() override { vgtest::RemoveTree(dir_); }

  // The probe with these arguments.
  static ProcessStart Probe(const std::string& arguments) {
    ProcessStart start;
    start.commandLine = "\"" + vgtest::BinDir() + "\\" + kProbe + "\" " + arguments;
    return start;
  }

  // A file that a child can inherit as a stream.
  ScopedHandle CaptureFile(const std::string& name) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return ScopedHandle(::CreateFileA((dir_ + "\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  std::string Captured(const std::string& name) { return vgtest::ReadFile(dir_ + "\\" + name); }

  // The standard output of one run of the probe.
  std::string OutputOf(ProcessStart start) {
    {
      ScopedHandle out = CaptureFile("out.txt");
      start.output = out.Get();
      const ProcessRun run = RunProcess(start, 30000);
      EXPECT_TRUE(run.finished);
    }
    return Captured("out.txt");
  }

  std::string dir_;
};

// Whether the process with that id still runs.
bool StillRuns(DWORD processId) {
  ScopedHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  return process.IsValid() && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

TEST_F(ProcessStartTest, ReportsTheExitCodeAndTheIdOfTheProcess) {
  ScopedHandle out = CaptureFile("out.txt");
  ProcessStart start = Probe("pid exit 7");
  start.output = out.Get();
  const ProcessRun run = RunProcess(start, 30000);
  out.Close();
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 7u);
  ASSERT_NE(run.processId, 0u);
  EXPECT_EQ(Captured("out.txt"), std::to_string(run.processId));

  StartedProcess process;
  ASSERT_TRUE(process.Start(Probe("exit 0")));
  EXPECT_TRUE(process.Wait(30000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(ProcessStartTest, AProgramThatOutlivesItsTimeIsEndedOrLeftRunning) {
  StartedProcess running;
  ASSERT_TRUE(running.Start(Probe("sleep 60000")));
  EXPECT_FALSE(running.Wait(0));
  EXPECT_EQ(running.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
  running.Terminate(5, 10000);
  EXPECT_TRUE(running.Wait(0));
  EXPECT_EQ(running.ExitCode(), 5u);

  const ProcessRun ended = RunProcess(Probe("sleep 60000"), 100);
  EXPECT_TRUE(ended.started);
  EXPECT_FALSE(ended.finished);
  EXPECT_EQ(ended.exitCode, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(StillRuns(ended.processId));

  const ProcessRun left = RunProcess(Probe("sleep 60000"), 100, false);
  EXPECT_FALSE(left.finished);
  EXPECT_TRUE(StillRuns(left.processId));
  ScopedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, left.processId));
  ASSERT_TRUE(process.IsValid());
  ::TerminateProcess(process.Get(), 1);
  ::WaitForSingleObject(process.Get(), 10000);
}

TEST_F(ProcessStartTest, HandsOverTheStandardStreamsEachApart) {
  {
    ScopedHandle out = CaptureFile("out.txt");
    ScopedHandle err = CaptureFile("err.txt");
    ProcessStart start = Probe("out report err complaint out \" and more\"");
    start.output = out.Get();
    start.error = err.Get();
    start.noWindow = true;
    ASSERT_TRUE(RunProcess(start, 30000).finished);
  }
  EXPECT_EQ(Captured("out.txt"), "report and more");
  EXPECT_EQ(Captured("err.txt"), "complaint");
}

TEST_F(ProcessStartTest, InheritsTheCallersHandlesOnlyWithStreams) {
  // The probe writes into the pipe's write end by its handle value: the text arrives only
  // when the child inherited that handle.
  auto marked = [this](bool withStreams, bool throughRunCommandLine) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    EXPECT_TRUE(::CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, 0));
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    const std::string marker = dir_ + "\\done";
    ::DeleteFileA(marker.c_str());
    ProcessStart start =
        Probe("mark " + std::to_string(reinterpret_cast<UINT_PTR>(writeEnd.Get())) + " touch \"" +
              marker + "\"");
    ScopedHandle out;
    if (withStreams) {
      out = CaptureFile("out.txt");
      start.output = out.Get();
    }
    if (throughRunCommandLine) {
      EXPECT_EQ(RunCommandLine(start.commandLine.c_str()), 1);
      for (int i = 0; i < 1500 && !vgtest::FileExists(marker); ++i) ::Sleep(20);
    } else {
      EXPECT_TRUE(RunProcess(start, 30000).finished);
    }
    EXPECT_TRUE(vgtest::FileExists(marker));
    // With the child gone and this end closed, the pipe holds what the child wrote, if anything.
    writeEnd.Close();
    char buffer[16] = {};
    DWORD read = 0;
    ::ReadFile(readEnd.Get(), buffer, sizeof buffer - 1, &read, nullptr);
    return std::string(buffer, read);
  };
  EXPECT_EQ(marked(false, false), "");
  EXPECT_EQ(marked(true, false), "mark");
  EXPECT_EQ(marked(false, true), "") << "RunCommandLine hands over no handle";
}

TEST_F(ProcessStartTest, StartsInTheFolderAndWithTheShowStateAskedFor) {
  char here[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, here);
  EXPECT_EQ(OutputOf(Probe("cwd")), here);
  ProcessStart inFolder = Probe("cwd");
  inFolder.folder = dir_;
  EXPECT_EQ(OutputOf(inFolder), dir_);

  EXPECT_EQ(OutputOf(Probe("show")), "show none");
  ProcessStart minimized = Probe("show");
  minimized.show = SW_SHOWMINNOACTIVE;
  EXPECT_EQ(OutputOf(minimized), "show " + std::to_string(SW_SHOWMINNOACTIVE));
}

TEST_F(ProcessStartTest, AProgramThatIsMissingStartsNothing) {
  ProcessStart missing;
  missing.commandLine = "\"" + dir_ + "\\no such program.exe\" exit 3";
  StartedProcess process;
  EXPECT_FALSE(process.Start(missing));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(process.IsStarted());
  EXPECT_EQ(process.Id(), 0u);
  EXPECT_FALSE(process.Wait(0));
  EXPECT_EQ(process.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));

  const ProcessRun run = RunProcess(missing, 1000);
  EXPECT_FALSE(run.started);
  EXPECT_FALSE(run.finished);
  EXPECT_EQ(RunCommandLine(missing.commandLine.c_str()), 0);
  EXPECT_EQ(RunCommandLine(nullptr), 0);
}

TEST_F(ProcessStartTest, RunCommandLineLeavesTheProgramRunningOnItsOwn) {
  // The probe waits for a file that only appears after RunCommandLine has returned, so a
  // RunCommandLine that waited for its program would never return in time.
  const std::string go = dir_ + "\\go";
  const std::string done = dir_ + "\\done";
  const std::string line =
      "\"" + vgtest::BinDir() + "\\" + kProbe + "\" waitfor \"" + go + "\" touch \"" + done + "\"";
  ASSERT_EQ(RunCommandLine(line.c_str()), 1);
  EXPECT_FALSE(vgtest::FileExists(done));
  vgtest::WriteFile(go, "");
  for (int i = 0; i < 1500 && !vgtest::FileExists(done); ++i) ::Sleep(20);
  EXPECT_TRUE(vgtest::FileExists(done));
}

TEST_F(ProcessStartTest, RunCommandLineWithAProgramPathStartsThatFile) {
  // The line's first item names no program at all: only the path given is started.
  const std::string done = dir_ + "\\done";
  const std::string probe = vgtest::BinDir() + "\\" + kProbe;
  const std::string line = "\"" + dir_ + "\\no such program.exe\" touch \"" + done + "\"";
  ASSERT_EQ(RunCommandLine(line.c_str(), probe.c_str()), 1);
  for (int i = 0; i < 1500 && !vgtest::FileExists(done); ++i) ::Sleep(20);
  EXPECT_TRUE(vgtest::FileExists(done));
  EXPECT_EQ(RunCommandLine(line.c_str()), 0);
}

}  // namespace
