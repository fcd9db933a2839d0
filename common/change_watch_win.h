#pragma once
// ChangeWatch: what a cached fact depends on, watched so that the cache can tell cheaply
// whether the fact may have changed since it was found. Registry keys are watched through
// change notifications, files through their attributes (existence, last-write time, size),
// a process through its handle. Asking costs one wait on all events at once and no registry
// or file access.
//
// A cache arms its watch before it finds its facts (a change in between then still counts),
// and finds them again, with a new watch, as soon as StillTrue says no. A watch that could
// not be armed in full is never still true. Not thread-safe: the owning cache locks.
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"

class ChangeWatch {
 public:
  ChangeWatch() = default;
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  // Watches root\path for new and deleted keys and changed values (below it too with
  // subtree). A key that is missing is watched through its nearest existing parent, whose
  // subtree then covers its creation. The keys above are watched for new and deleted subkeys,
  // because the system does not report the deletion of a watched key to its own watch. An
  // empty path watches the root itself for new and deleted subkeys only (as HKEY_USERS gains
  // and loses the hives of users who log on and off). False when nothing could be watched.
  bool WatchKey(HKEY root, const char* path, bool subtree);

  // Watches the file (or directory) for appearing, disappearing and being rewritten.
  void WatchFile(const std::string& path);

  // Watches for the end of the process; false when it cannot be opened (or has ended).
  bool WatchProcess(DWORD processId);

  // True while nothing watched has changed and every watch was armed.
  bool StillTrue() const;

  // Forgets everything watched; StillTrue is then false until something is watched again.
  void Clear();

  // While one lives on a thread, each file's attributes are read once on that thread: every
  // watch asked in that moment sees the file as it was first seen. One status query is such a
  // moment (several kept facts come from the same profile INI). A moment inside another is
  // part of it.
  class Moment {
   public:
    Moment();
    ~Moment();
    Moment(const Moment&) = delete;
    Moment& operator=(const Moment&) = delete;

   private:
    bool owns_ = false;
  };

 private:
  struct FileStamp {
    std::string path;
    bool exists = false;
    DWORD attributes = 0;
    FILETIME lastWrite = {};
    DWORD sizeHigh = 0;
    DWORD sizeLow = 0;
  };
  static FileStamp StampOf(const std::string& path);
  static bool SameStamp(const FileStamp& a, const FileStamp& b);
  bool Arm(HKEY root, const char* path, bool subtree, DWORD filter);

  std::vector<ScopedRegKey> keys_;
  std::vector<ScopedHandle> handles_;  // events of the keys, then processes
  std::vector<FileStamp> files_;
  bool failed_ = false;
  bool armed_ = false;
};
