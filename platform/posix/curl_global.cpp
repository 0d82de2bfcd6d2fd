#include "curl_global.h"

#include <curl/curl.h>

#include <stdexcept>

void EnsureCurlGlobalInit() {
  // Never cleaned up: objects destroyed at exit may still hold curl handles, and the process ends
  // anyway.
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (result != CURLE_OK) throw std::runtime_error(curl_easy_strerror(result));
}
