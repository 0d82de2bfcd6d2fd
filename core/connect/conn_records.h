#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kUnknownStatusId = 2147483647;

enum class TResponseStatus { rstUnknown, rstOk, rstCommunication, rstBadRequest, rstNotFound };

enum class TConnParamReject : uint8_t {
  cprAccountNum,
  cprUsername,
  cprOSInfo,
  cprClientVer,
  cprHostname,
  cprOther
};
enum class TConnRejectFatal : uint8_t {
  crfAccountNum,
  crfUsername,
  crfOSInfo,
  crfClientVer,
  crfHostname,
  crfOther
};

// A set of six elements, bit n standing for the element of ordinal n.
template <typename E>
class TEnumSet {
 public:
  TEnumSet() = default;
  static TEnumSet FromMask(uint32_t mask) { return TEnumSet(uint8_t(mask & 0x3F)); }
  bool Contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
  bool ContainsOrdinal(unsigned n) const { return (bits_ >> n) & 1u; }
  void Include(E e) { bits_ |= uint8_t(1u << static_cast<unsigned>(e)); }
  bool Empty() const { return bits_ == 0; }
  uint8_t Mask() const { return bits_; }
  bool operator==(const TEnumSet&) const = default;

 private:
  explicit TEnumSet(uint8_t bits) : bits_(bits) {}
  uint8_t bits_ = 0;
};

using TConnParamRejects = TEnumSet<TConnParamReject>;
using TConnRejectFatals = TEnumSet<TConnRejectFatal>;

struct TConnStatus {
  int32_t Id = 0;
  std::string Name;
  std::string ImageUrl;

  // Ids equal, Name and ImageUrl each equal ignoring ASCII case.
  bool operator==(const TConnStatus& other) const;
};

struct TConnResponse {
  std::string Zone;
  std::string DisplayName;
  std::string ConnIdentifier;
  TConnStatus Status;
  std::string StatusDetail;
  std::string ConnUrl;
  bool BlockLaunch = false;

  // False for the four sentinel records (identifier compared ignoring case).
  bool IsValid() const;
  bool operator==(const TConnResponse& other) const;
};

extern const TConnStatus UnknownConnStatus;
extern const TConnResponse InvalidConnResponse;
extern const TConnResponse UnknownConnResponse;
extern const TConnResponse ResetConnResponse;
extern const TConnResponse UseActiveConnResponse;
