// Kept apart from app_config.cpp so that only programs narrowing by a connection's answer link
// the connection client.
#include "config/app_config.h"
#include "connect/qx_connection.h"

void TAppConfig::UpdateConfig(const TQXConnection& Conn) {
  const TConnResponse active = Conn.ActiveResponse();
  const TStatusDefs& defs = Conn.StatusDefs();
  ValidateConnect();
  if (FCanConnect) {
    FCanConnect = !active.ConnUrl.empty() && !Conn.BlockLaunch() && !active.BlockLaunch &&
                  !defs.IsStatusFail(active.Status);
  }
  FRedirectUrl = active.ConnUrl;
  if (!FShowStatus) FShowStatus = !FCanConnect || !defs.IsStatusOk(active.Status);
}
