#include "gui/conn_view_list.h"

#include <stdexcept>

void TConnectionViewList::Add(int32_t Number) {
  FViews.push_back({Number, std::make_shared<TImageRequest>("req" + std::to_string(Number))});
}

void TConnectionViewList::RemoveLast() {
  if (FViews.empty()) throw std::out_of_range("The tile list is empty");
  FViews.pop_back();
}

const TConnView& TConnectionViewList::operator[](int Index) const {
  if (Index < 0 || Index >= Count())
    throw std::out_of_range("Tile index " + std::to_string(Index) + " is out of range");
  return FViews[static_cast<size_t>(Index)];
}

int TConnectionViewList::IndexOfImageRequest(const TImageRequest* Request) const {
  for (int i = 0; i < Count(); ++i)
    if (FViews[static_cast<size_t>(i)].Request.get() == Request) return i;
  return -1;
}
