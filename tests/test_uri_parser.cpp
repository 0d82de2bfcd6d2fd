#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/uri.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "shared/uri_cases.h"
#include "support/recording_dialogs.h"
#include "support/test_server.h"

using namespace std::chrono_literals;

// The cases are shared with the Windows parser's test: the same addresses pass on both.

TEST(CurlURIParser, AcceptsOnlyHttpAndHttpsAddressesWithHost) {
  TCurlURIParser parser;
  for (const auto& c : uri_cases::kValidity)
    EXPECT_EQ(IsValidURL(parser, std::string(c.Text)), c.Valid) << c.Text;
}

TEST(CurlURIParser, RefusedTextThrowsParseError) {
  TCurlURIParser parser;
  for (const char* text : {"", "ftp://x", "http://", "not a url"})
    EXPECT_THROW(parser.Parse(text), EURIParseError) << text;
}

TEST(CurlURIParser, SplitsIntoPartsWithDefaultPortsAndPath) {
  TCurlURIParser parser;
  for (const auto& c : uri_cases::kParts) {
    SCOPED_TRACE(c.Text);
    const TURI uri = parser.Parse(std::string(c.Text));
    EXPECT_EQ(uri.Scheme, c.Scheme);
    EXPECT_EQ(uri.Host, c.Host);
    EXPECT_EQ(uri.Port, c.Port);
    EXPECT_EQ(uri.Path, c.Path);
    EXPECT_EQ(uri.Query, c.Query);
    EXPECT_EQ(uri.Text, c.WrittenBack);
  }
}

TEST(CurlURIParser, EncodesEverythingButUnreservedCharacters) {
  TCurlURIParser parser;
  for (const auto& c : uri_cases::kEncodings)
    EXPECT_EQ(parser.EncodeQueryComponent(std::string(c.Text)), c.Encoded) << c.Text;
}

TEST(CurlURIParser, QueryRequestIsBuiltFromTheParsedUrlAndEncodedParameters) {
  TTestServer server;
  server.Start();
  TCurlHttpClientFactory http;
  TCurlURIParser parser;
  uri_cases::TFixedSystemInfo system;
  TRecordingDialogs dialogs;
  TAppResVersionInfo version;
  version.ProductVersion.VersionFromStr(std::string(uri_cases::kRequestProductVersion));
  version.FileVersion.VersionFromStr(std::string(uri_cases::kRequestFileVersion));
  TQXConnection connection({http, parser, system, dialogs, version}, {5000ms, 5000ms});
  for (const auto& c : uri_cases::kRequests) {
    SCOPED_TRACE(c.QueryUrlAfterHost);
    server.ClearRequests();
    TConnResponse result;
    connection.Connect(result, std::string(c.Mode),
                       server.BaseUrl() + std::string(c.QueryUrlAfterHost), std::string(c.Account),
                       std::string(c.User));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].RawTarget, c.Target);
  }
}
