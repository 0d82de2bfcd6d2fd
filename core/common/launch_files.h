#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// The file could not be created safely (a link or somebody else's file at its name, no rights).
struct EFileCreateError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class IFileWriter {
 public:
  virtual ~IFileWriter() = default;
  virtual bool Write(std::string_view bytes) = 0;
  virtual void Close() = 0;
};

// Tells when the program that the shell started no longer holds the file.
class IFileUseWatch {
 public:
  virtual ~IFileUseWatch() = default;
  virtual bool IsReleased() = 0;
};

// The files of a session launch, in the user's temporary folder.
class ILaunchFiles {
 public:
  virtual ~ILaunchFiles() = default;
  virtual bool Exists(const std::string& path) = 0;
  // False when the file could not be deleted.
  virtual bool Delete(const std::string& path) = 0;
  // A new file, readable by the user alone, written from its start. Never follows a link and never
  // empties a file that was there; throws EFileCreateError when it cannot be made that way.
  virtual std::unique_ptr<IFileWriter> Create(const std::string& path) = 0;
  // Watches the closed file from now on, before it is handed to the shell.
  virtual std::unique_ptr<IFileUseWatch> WatchUse(const std::string& path) = 0;
};
