#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/uri.h"
#include "connect/qx_connection.h"
#include "shared/uri_cases.h"
#include "support/recording_dialogs.h"
#include "win_http_client.h"
#include "win_http_peer.h"
#include "win_uri_parser.h"

using namespace std::chrono_literals;

// The cases are shared with the Linux parser's test: the same addresses pass on both.

TEST(WinURIParser, AcceptsOnlyHttpAndHttpsAddressesWithHost) {
  TWinURIParser parser;
  for (const auto& c : uri_cases::kValidity)
    EXPECT_EQ(IsValidURL(parser, std::string(c.Text)), c.Valid) << c.Text;
}

TEST(WinURIParser, RefusedTextThrowsParseError) {
  TWinURIParser parser;
  for (const char* text : {"", "ftp://x", "http://", "not a url", "http://[::1/"})
    EXPECT_THROW(parser.Parse(text), EURIParseError) << text;
}

TEST(WinURIParser, SplitsIntoPartsWithDefaultPortsAndPath) {
  TWinURIParser parser;
  for (const auto& c : uri_cases::kParts) {
    SCOPED_TRACE(c.Text);
    const TURI uri = parser.Parse(std::string(c.Text));
    EXPECT_EQ(uri.Scheme, c.Scheme);
    EXPECT_EQ(uri.Host, c.Host);
    EXPECT_EQ(uri.Port, c.Port);
    EXPECT_EQ(uri.Path, c.Path);
    EXPECT_EQ(uri.Query, c.Query);
    EXPECT_EQ(uri.Text, c.WrittenBackByWinHttp.empty() ? c.WrittenBack : c.WrittenBackByWinHttp);
  }
}

TEST(WinURIParser, EncodesEverythingButUnreservedCharacters) {
  TWinURIParser parser;
  for (const auto& c : uri_cases::kEncodings)
    EXPECT_EQ(parser.EncodeQueryComponent(std::string(c.Text)), c.Encoded) << c.Text;
}

TEST(WinURIParser, QueryRequestIsBuiltFromTheParsedUrlAndEncodedParameters) {
  TWinHttpClientFactory http;
  TWinURIParser parser;
  uri_cases::TFixedSystemInfo system;
  TRecordingDialogs dialogs;
  TAppResVersionInfo version;
  version.ProductVersion.VersionFromStr(std::string(uri_cases::kRequestProductVersion));
  version.FileVersion.VersionFromStr(std::string(uri_cases::kRequestFileVersion));
  TQXConnection connection({http, parser, system, dialogs, version}, {5000ms, 5000ms});
  for (const auto& c : uri_cases::kRequests) {
    SCOPED_TRACE(c.QueryUrlAfterHost);
    ClearPeerRequests();
    TConnResponse result;
    connection.Connect(result, std::string(c.Mode),
                       TPeer::Get().HttpUrl(std::string(c.QueryUrlAfterHost)),
                       std::string(c.Account), std::string(c.User));
    const auto requests = PeerRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target, c.Target);
  }
}
