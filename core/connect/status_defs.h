#pragma once

#include <cstdint>
#include <vector>

#include "connect/conn_records.h"

// The status definitions of the last answer, kept in the order the answer lists them.
class TStatusDefs {
 public:
  // Orders by Name (ignoring ASCII case) when either id is the unknown id, otherwise by Id.
  static int Compare(const TConnStatus& a, const TConnStatus& b);

  int32_t StatusOkId() const { return FStatusOkId; }
  int32_t StatusFailId() const { return FStatusFailId; }
  void SetStatusIds(int32_t okId, int32_t failId);

  bool IsStatusOk(const TConnStatus& s) const { return s.Id <= FStatusOkId; }
  bool IsStatusFail(const TConnStatus& s) const { return s.Id >= FStatusFailId; }

  // Halving searches over the list as it stands; the list is never sorted, so in an unsorted
  // list they may find nothing. UnknownConnStatus when nothing is found.
  TConnStatus GetStatusById(int32_t id) const;
  TConnStatus GetStatusByName(const std::string& name) const;

  void Add(const TConnStatus& s) { FItems.push_back(s); }
  void Clear() { FItems.clear(); }
  size_t Count() const { return FItems.size(); }
  const TConnStatus& operator[](size_t i) const { return FItems.at(i); }

 private:
  TConnStatus Search(const TConnStatus& probe) const;

  std::vector<TConnStatus> FItems;
  int32_t FStatusOkId = 0;
  int32_t FStatusFailId = 0;
};
