#pragma once

#include <memory>

#include "common/http_client.h"

// HTTP clients over WinHTTP, synchronous. Each client owns one WinHTTP session, which holds the
// cookies of all of its requests for its whole life, also when several threads use it at once.
class TWinHttpClientFactory : public IHttpClientFactory {
 public:
  std::unique_ptr<IHttpClient> Create(const THttpClientSettings& settings) override;
};
