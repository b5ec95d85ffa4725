// QueryInterface as a COM object answers it: the object's own interface and
// IUnknown yield the object with one more reference, anything else
// E_NOINTERFACE. The library never asks, but a host written for COM does.
#pragma once

#include <cstdint>
#include <cstring>

#include "pharmex/host.h"

namespace pharmex::memhost {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002u);
inline constexpr int32_t kNullPointer = static_cast<int32_t>(0x80004003u);

// {00000000-0000-0000-C000-000000000046}
inline constexpr PxGuid kUnknownIid = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline bool same_guid(const PxGuid& a, const PxGuid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

template <class Interface>
int32_t answer_query(Interface* self, const PxGuid& own_iid, const PxGuid* iid,
                     void** object) noexcept {
  if (object == nullptr) return kNullPointer;
  if (iid != nullptr && (same_guid(*iid, own_iid) || same_guid(*iid, kUnknownIid))) {
    self->lpVtbl->AddRef(self);
    *object = self;
    return kOk;
  }
  *object = nullptr;
  return kNoInterface;
}

}  // namespace pharmex::memhost
