#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The addresses this service serves besides the query, and what it serves there. Connections are
// named by their index in the scenario's connection list.
inline constexpr const char* kQueryPath = "/Connect/";
inline constexpr const char* kDeskPattern = R"(/desks/(\d{1,6})\.rdp)";
inline constexpr const char* kPortalPattern = R"(/portal/(\d{1,6}))";
inline constexpr const char* kStatusImagePattern = R"(/status/([a-z]+)\.png)";

std::string DeskPath(std::size_t index);
std::string PortalPath(std::size_t index);
std::string StatusImagePath(const std::string& statusKey);

// Where launching the connection leads: its own "connurl" (with "{service}" standing for the
// service's address), else this service's desk file or portal page for it.
std::string ConnectionAddress(const nlohmann::json& connection, std::size_t index,
                              const std::string& serviceUrl);

// A Remote Desktop connection file that names the connection's made-up host.
std::string RdpFileFor(const nlohmann::json& connection);
// A small web page standing in for a web portal.
std::string PortalPageFor(const nlohmann::json& connection);
