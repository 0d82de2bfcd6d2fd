#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A tile's status-image request. Answers find their tile by this object's identity, so an answer
// for a tile that a refresh has removed finds none.
class TImageRequest {
 public:
  explicit TImageRequest(std::string name) : FName(std::move(name)) {}
  TImageRequest(const TImageRequest&) = delete;
  TImageRequest& operator=(const TImageRequest&) = delete;

  const std::string& Name() const { return FName; }

  // A tile serves one request at a time: from TryBegin until End, which may run on another
  // thread, TryBegin fails.
  bool TryBegin() { return !FBusy.exchange(true); }
  void End() { FBusy.store(false); }
  bool Busy() const { return FBusy.load(); }

 private:
  std::string FName;
  std::atomic<bool> FBusy{false};
};

struct TConnView {
  int32_t Number = 0;
  std::shared_ptr<TImageRequest> Request;
};

// The tiles of the connection window in display order; tile 0 is the template tile. An index
// outside the list throws std::out_of_range.
class TConnectionViewList {
 public:
  void Add(int32_t Number);
  void RemoveLast();
  int Count() const { return static_cast<int>(FViews.size()); }

  const TConnView& operator[](int Index) const;
  int32_t Number(int Index) const { return (*this)[Index].Number; }
  const std::shared_ptr<TImageRequest>& ImageRequests(int Index) const {
    return (*this)[Index].Request;
  }
  // The smallest index whose request is this very object, or -1.
  int IndexOfImageRequest(const TImageRequest* Request) const;

 private:
  std::vector<TConnView> FViews;
};
