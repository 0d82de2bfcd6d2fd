#pragma once

#include <nlohmann/json.hpp>
#include <string>

struct TQueryAnswer {
  int Status = 200;
  std::string ContentType;
  std::string Body;
};

// The service's answer to a connection query, from a checked scenario answer (see scenario.h).
// Every address in it points at `serviceUrl`, such as "http://127.0.0.1:8080".
TQueryAnswer BuildQueryAnswer(const nlohmann::json& answer, const std::string& serviceUrl);
