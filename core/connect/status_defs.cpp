#include "connect/status_defs.h"

#include <cstddef>

#include "common/text.h"

int TStatusDefs::Compare(const TConnStatus& a, const TConnStatus& b) {
  if (a.Id == kUnknownStatusId || b.Id == kUnknownStatusId) return CompareTextAscii(a.Name, b.Name);
  if (a.Id == b.Id) return 0;
  return a.Id < b.Id ? -1 : 1;
}

void TStatusDefs::SetStatusIds(int32_t okId, int32_t failId) {
  FStatusOkId = okId;
  FStatusFailId = failId;
}

TConnStatus TStatusDefs::GetStatusById(int32_t id) const { return Search({id, "", ""}); }

TConnStatus TStatusDefs::GetStatusByName(const std::string& name) const {
  return Search({kUnknownStatusId, name, ""});
}

TConnStatus TStatusDefs::Search(const TConnStatus& probe) const {
  std::ptrdiff_t low = 0, high = std::ptrdiff_t(FItems.size()) - 1;
  bool found = false;
  while (low <= high) {
    std::ptrdiff_t mid = low + (high - low) / 2;
    int cmp = Compare(FItems[mid], probe);
    if (cmp < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (cmp == 0) found = true;
    }
  }
  // In an unsorted list the search can stop beside the definition that matched; only a definition
  // that really is the one asked for is returned.
  if (found && low < std::ptrdiff_t(FItems.size()) && Compare(FItems[low], probe) == 0)
    return FItems[low];
  return UnknownConnStatus;
}
