#pragma once

#include "common/launch_files.h"

// Launch files on Windows, in the user's own temporary folder. A program holds the file while it
// has it open: the file counts as released once it can be opened for reading and writing with no
// sharing allowed.
class TWinLaunchFiles : public ILaunchFiles {
 public:
  bool Exists(const std::string& path) override;
  bool Delete(const std::string& path) override;
  std::unique_ptr<IFileWriter> Create(const std::string& path) override;
  std::unique_ptr<IFileUseWatch> WatchUse(const std::string& path) override;
};
