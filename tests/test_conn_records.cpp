#include <gtest/gtest.h>

#include <functional>

#include "connect/conn_records.h"
#include "connect/status_defs.h"

namespace {

TConnResponse SampleConnection() {
  TConnResponse c;
  c.Zone = "eu-west";
  c.DisplayName = "Office Desktop";
  c.ConnIdentifier = "conn-17";
  c.Status = {1, "Online", "https://img.example/online.png"};
  c.StatusDetail = "All systems running";
  c.ConnUrl = "https://rdp.example/conn-17";
  c.BlockLaunch = false;
  return c;
}

TStatusDefs DefsWithIds(std::initializer_list<TConnStatus> items) {
  TStatusDefs defs;
  for (const TConnStatus& s : items) defs.Add(s);
  return defs;
}

}  // namespace

TEST(ConnResponse, EqualityIgnoresLetterCaseOfTextsOnly) {
  struct Case {
    const char* what;
    std::function<void(TConnResponse&)> change;
    bool equal;
  } cases[] = {
      {"nothing", [](TConnResponse&) {}, true},
      {"zone case", [](TConnResponse& c) { c.Zone = "EU-WEST"; }, true},
      {"display name case", [](TConnResponse& c) { c.DisplayName = "office desktop"; }, true},
      {"identifier case", [](TConnResponse& c) { c.ConnIdentifier = "CONN-17"; }, true},
      {"detail case", [](TConnResponse& c) { c.StatusDetail = "ALL SYSTEMS RUNNING"; }, true},
      {"address case", [](TConnResponse& c) { c.ConnUrl = "HTTPS://RDP.EXAMPLE/CONN-17"; }, true},
      {"status name case", [](TConnResponse& c) { c.Status.Name = "ONLINE"; }, true},
      {"status image case",
       [](TConnResponse& c) { c.Status.ImageUrl = "HTTPS://IMG.EXAMPLE/ONLINE.PNG"; }, true},
      {"block launch", [](TConnResponse& c) { c.BlockLaunch = true; }, false},
      {"zone", [](TConnResponse& c) { c.Zone = "eu-east"; }, false},
      {"display name", [](TConnResponse& c) { c.DisplayName = "Office Desktop 2"; }, false},
      {"identifier", [](TConnResponse& c) { c.ConnIdentifier = "conn-18"; }, false},
      {"detail", [](TConnResponse& c) { c.StatusDetail = ""; }, false},
      {"address", [](TConnResponse& c) { c.ConnUrl = "https://rdp.example/conn-1"; }, false},
      {"status id", [](TConnResponse& c) { c.Status.Id = 2; }, false},
      {"status name", [](TConnResponse& c) { c.Status.Name = "Offline"; }, false},
      {"status image", [](TConnResponse& c) { c.Status.ImageUrl = ""; }, false},
  };
  for (const auto& c : cases) {
    TConnResponse changed = SampleConnection();
    c.change(changed);
    EXPECT_EQ(changed == SampleConnection(), c.equal) << c.what;
    EXPECT_EQ(changed != SampleConnection(), !c.equal) << c.what;
  }
  TConnResponse a = SampleConnection(), b = SampleConnection();
  a.Zone = "\xC3\xA4";
  b.Zone = "\xC3\x84";  // only ASCII letters fold
  EXPECT_NE(a, b);
}

TEST(ConnResponse, SentinelIdentifiersAreInvalidInAnyCase) {
  struct Case {
    const char* identifier;
    bool valid;
  } cases[] = {
      {"__QXCONNECT_INVALID_RESPONSE__", false},
      {"__qxconnect_invalid_response__", false},
      {"__QXCONNECT_UNKNOWN_RESPONSE__", false},
      {"__qxconnect_reset_response__", false},
      {"__QxConnect_Reset_Response__", false},
      {"__qxconnect_useactive_response__", false},
      {"", true},
      {"conn-17", true},
      {"__QXCONNECT_INVALID_RESPONSE_", true},
      {" __QXCONNECT_RESET_RESPONSE__", true},
  };
  for (const auto& c : cases) {
    TConnResponse r = SampleConnection();
    r.ConnIdentifier = c.identifier;
    EXPECT_EQ(r.IsValid(), c.valid) << '"' << c.identifier << '"';
  }
}

TEST(ConnResponse, SentinelsBlockLaunchAndCarryTheUnknownStatus) {
  for (const TConnResponse* s :
       {&InvalidConnResponse, &UnknownConnResponse, &ResetConnResponse, &UseActiveConnResponse}) {
    EXPECT_FALSE(s->IsValid()) << s->ConnIdentifier;
    EXPECT_TRUE(s->BlockLaunch) << s->ConnIdentifier;
    EXPECT_EQ(s->Status, UnknownConnStatus) << s->ConnIdentifier;
    EXPECT_EQ(s->Zone + s->DisplayName + s->StatusDetail + s->ConnUrl, "") << s->ConnIdentifier;
  }
  EXPECT_EQ(UnknownConnStatus.Id, 2147483647);
  EXPECT_NE(InvalidConnResponse, UseActiveConnResponse);
}

TEST(StatusDefs, ThresholdsCompareSignedIds) {
  TStatusDefs defs;
  EXPECT_EQ(defs.StatusOkId(), 0);
  EXPECT_EQ(defs.StatusFailId(), 0);
  defs.SetStatusIds(2, 5);
  struct Case {
    int32_t id;
    bool ok, fail;
  } cases[] = {
      {-7, true, false}, {2, true, false}, {3, false, false},
      {4, false, false}, {5, false, true}, {2147483647, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(defs.IsStatusOk({c.id, "", ""}), c.ok) << c.id;
    EXPECT_EQ(defs.IsStatusFail({c.id, "", ""}), c.fail) << c.id;
  }
  // The unknown id fails under every threshold, also the largest one.
  defs.SetStatusIds(2147483647, 2147483647);
  EXPECT_TRUE(defs.IsStatusFail(UnknownConnStatus));
}

TEST(StatusDefs, LookupByIdFindsInSortedListOnly) {
  const TStatusDefs sorted = DefsWithIds({{1, "Online", "i1"},
                                          {2, "Busy", "i2"},
                                          {3, "Degraded", "i3"},
                                          {5, "Offline", "i5"},
                                          {9, "Maintenance", "i9"}});
  for (int32_t id : {1, 2, 3, 5, 9}) EXPECT_EQ(sorted.GetStatusById(id).Id, id);
  EXPECT_EQ(sorted.GetStatusById(3).Name, "Degraded");
  EXPECT_EQ(sorted.GetStatusById(3).ImageUrl, "i3");
  for (int32_t id : {0, 4, 10, -1}) EXPECT_EQ(sorted.GetStatusById(id), UnknownConnStatus) << id;
  EXPECT_EQ(TStatusDefs().GetStatusById(1), UnknownConnStatus);

  // The halving search passes over id 1 at the end of an unsorted list.
  const TStatusDefs unsorted =
      DefsWithIds({{2, "Busy", ""}, {3, "Degraded", ""}, {1, "Online", ""}});
  EXPECT_EQ(unsorted.GetStatusById(1), UnknownConnStatus);
  EXPECT_EQ(unsorted.Count(), 3u);
  EXPECT_EQ(unsorted[2].Id, 1);  // never sorted

  // Here the search meets id 1 on its way but ends beside it, at id 5: no other definition may
  // be handed out in its place.
  const TStatusDefs endsBeside = DefsWithIds({{5, "Down", ""}, {1, "Online", ""}, {3, "Slow", ""}});
  EXPECT_EQ(endsBeside.GetStatusById(1), UnknownConnStatus);
}

TEST(StatusDefs, LookupByNameIgnoresCaseWithTheUnknownIdProbe) {
  const TStatusDefs byName =
      DefsWithIds({{4, "Busy", "b"}, {5, "Degraded", "d"}, {1, "Online", "o"}, {2, "Ready", "r"}});
  EXPECT_EQ(byName.GetStatusByName("online").Id, 1);
  EXPECT_EQ(byName.GetStatusByName("BUSY").ImageUrl, "b");
  EXPECT_EQ(byName.GetStatusByName("Ready").Id, 2);
  EXPECT_EQ(byName.GetStatusByName("Offline"), UnknownConnStatus);
  EXPECT_EQ(byName.GetStatusByName(""), UnknownConnStatus);

  // The comparer orders by name as soon as one id is the unknown id.
  EXPECT_EQ(TStatusDefs::Compare({1, "b", ""}, {2147483647, "A", ""}), 1);
  EXPECT_EQ(TStatusDefs::Compare({7, "same", ""}, {2147483647, "SAME", ""}), 0);
  EXPECT_LT(TStatusDefs::Compare({9, "a", ""}, {10, "b", ""}), 0);
  EXPECT_GT(TStatusDefs::Compare({10, "a", ""}, {9, "b", ""}), 0);
}
