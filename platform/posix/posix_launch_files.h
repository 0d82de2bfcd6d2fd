#pragma once

#include "common/launch_files.h"

// Launch files on Linux. Another program's use of the file is seen with inotify: the file counts
// as released once somebody has opened it and closed it again.
class TPosixLaunchFiles : public ILaunchFiles {
 public:
  bool Exists(const std::string& path) override;
  bool Delete(const std::string& path) override;
  std::unique_ptr<IFileWriter> Create(const std::string& path) override;
  std::unique_ptr<IFileUseWatch> WatchUse(const std::string& path) override;
};
