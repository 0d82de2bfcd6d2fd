#include "connect/conn_records.h"

#include "common/text.h"

namespace {

TConnResponse Sentinel(const char* identifier) {
  TConnResponse r;
  r.ConnIdentifier = identifier;
  r.Status = TConnStatus{kUnknownStatusId, "", ""};
  r.BlockLaunch = true;
  return r;
}

}  // namespace

const TConnStatus UnknownConnStatus{kUnknownStatusId, "", ""};
const TConnResponse InvalidConnResponse = Sentinel("__QXCONNECT_INVALID_RESPONSE__");
const TConnResponse UnknownConnResponse = Sentinel("__QXCONNECT_UNKNOWN_RESPONSE__");
const TConnResponse ResetConnResponse = Sentinel("__QXCONNECT_RESET_RESPONSE__");
const TConnResponse UseActiveConnResponse = Sentinel("__QXCONNECT_USEACTIVE_RESPONSE__");

bool TConnStatus::operator==(const TConnStatus& other) const {
  return Id == other.Id && SameTextAscii(Name, other.Name) &&
         SameTextAscii(ImageUrl, other.ImageUrl);
}

bool TConnResponse::IsValid() const {
  for (const TConnResponse* sentinel :
       {&InvalidConnResponse, &UnknownConnResponse, &ResetConnResponse, &UseActiveConnResponse})
    if (SameTextAscii(ConnIdentifier, sentinel->ConnIdentifier)) return false;
  return true;
}

bool TConnResponse::operator==(const TConnResponse& other) const {
  return SameTextAscii(Zone, other.Zone) && SameTextAscii(DisplayName, other.DisplayName) &&
         SameTextAscii(ConnIdentifier, other.ConnIdentifier) &&
         SameTextAscii(StatusDetail, other.StatusDetail) && SameTextAscii(ConnUrl, other.ConnUrl) &&
         Status == other.Status && BlockLaunch == other.BlockLaunch;
}
