#pragma once

#include <memory>

#include "common/http_client.h"

// HTTP clients over libcurl. Each client keeps one cookie store for its whole life, shared by all
// of its requests, also when several threads use the client at once.
class TCurlHttpClientFactory : public IHttpClientFactory {
 public:
  std::unique_ptr<IHttpClient> Create(const THttpClientSettings& settings) override;
};
