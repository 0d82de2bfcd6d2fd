#pragma once

#include <string>
#include <vector>

// The Linux peer server of the HTTP tests (peer_server.cpp), reached on 127.0.0.1. The runner
// passes its ports line in the environment variable VOSTREL_PEER.
struct TPeer {
  int Http = 0;
  int Https = 0;
  int Raw = 0;      // answers "/<status line, percent-encoded>" with that status line
  int Refused = 0;  // bound but not listening

  // Throws when the variable is missing or incomplete.
  static const TPeer& Get();

  std::string HttpUrl(const std::string& path) const;
  std::string HttpsUrl(const std::string& path) const;
  std::string RawUrl(const std::string& statusLine) const;
  std::string RefusedUrl() const;
};

// A request as one of the peer's servers received it.
struct TPeerRequest {
  std::string Method;
  std::string Target;  // path and query exactly as sent
  std::string UserAgent;
  std::string Cookie;
};

// What the peer's HTTP or HTTPS server received since its log was last cleared.
std::vector<TPeerRequest> PeerRequests(bool https = false);
void ClearPeerRequests(bool https = false);
