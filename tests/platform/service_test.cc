#include "core/service.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/regional_settings.h"
#include "platform/clock.h"
#include "platform/file_settings_store.h"
#include "platform/file_system.h"
#include "platform/headless_toolkit.h"
#include "platform/locale_settings.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_env.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex::platform {
namespace {

// Per service: a replacement numbered n (distinct for distinct n), whether a
// service is the one the platform chooses by default, and whether two are the
// same service (the same object for an interface, the same value for a value).
template <class T>
struct Slot;

bool same_object(const void* a, const void* b) {
  return a == b;
}

template <>
struct Slot<Clock> {
  static std::shared_ptr<Clock> make(int n) {
    DateParts moment;
    moment.year = 2000 + n;
    return std::make_shared<FixedClock>(moment);
  }
  static bool is_default(const Clock& clock) { return same_object(&clock, &system_clock()); }
  static bool same(const Clock& a, const Clock& b) { return same_object(&a, &b); }
};

template <>
struct Slot<FileSystem> {
  static std::shared_ptr<FileSystem> make(int) {
    return std::make_shared<FileSystemWrapper>(posix_file_system());
  }
  static bool is_default(const FileSystem& files) {
    return same_object(&files, &posix_file_system());
  }
  static bool same(const FileSystem& a, const FileSystem& b) { return same_object(&a, &b); }
};

template <>
struct Slot<Toolkit> {
  static std::shared_ptr<Toolkit> make(int) { return std::make_shared<HeadlessToolkit>(); }
  static bool is_default(const Toolkit& toolkit) {
    return dynamic_cast<const HeadlessToolkit*>(&toolkit) != nullptr;
  }
  static bool same(const Toolkit& a, const Toolkit& b) { return same_object(&a, &b); }
};

template <>
struct Slot<SettingsStore> {
  static std::shared_ptr<SettingsStore> make(int) {
    return std::make_shared<MemorySettingsStore>();
  }
  static bool is_default(const SettingsStore& store) {
    auto* file = dynamic_cast<const FileSettingsStore*>(&store);
    return file != nullptr && file->root() == FileSettingsStore::default_root();
  }
  static bool same(const SettingsStore& a, const SettingsStore& b) { return same_object(&a, &b); }
};

template <>
struct Slot<const RegionalSettings> {
  static std::shared_ptr<const RegionalSettings> make(int n) {
    return std::make_shared<const RegionalSettings>(
        RegionalSettings{n == 1 ? '.' : '/', "yyyy-MM-dd", "HH:mm:ss"});
  }
  static bool is_default(const RegionalSettings& settings) {
    return settings == regional_settings_from_environment();
  }
  static bool same(const RegionalSettings& a, const RegionalSettings& b) { return a == b; }
};

template <>
struct Slot<const TextCodec> {
  static std::shared_ptr<const TextCodec> make(int n) {
    return std::make_shared<const TextCodec>(n == 1 ? 1252 : 1250, 850);
  }
  static bool is_default(const TextCodec& codec) {
    return codec.ansi().number() == 1251 && codec.oem().number() == 866;
  }
  static bool same(const TextCodec& a, const TextCodec& b) {
    return a.ansi().number() == b.ansi().number() && a.oem().number() == b.oem().number();
  }
};

template <class T>
class ServiceTest : public ::testing::Test {
 protected:
  using Tested = Service<T>;
  using Scoped = typename Service<T>::Scoped;

  // The settings store's default is a file store under this root; nothing is
  // written there.
  testing::ScopedEnv registry_{"PHARMEX_REGISTRY", "/nonexistent/pharmex-service-test"};
  const std::shared_ptr<T> before_ = Tested::current();
  const std::shared_ptr<T> first_ = Slot<T>::make(1);
  const std::shared_ptr<T> second_ = Slot<T>::make(2);
};

using Services = ::testing::Types<Clock, FileSystem, Toolkit, SettingsStore, const RegionalSettings,
                                  const TextCodec>;
TYPED_TEST_SUITE(ServiceTest, Services);

TYPED_TEST(ServiceTest, NestedScopesRestoreThePreviousServiceInOrder) {
  using Tested = typename TestFixture::Tested;
  {
    typename TestFixture::Scoped outer(this->first_);
    EXPECT_EQ(Tested::current(), this->first_);
    {
      typename TestFixture::Scoped inner(this->second_);
      EXPECT_EQ(Tested::current(), this->second_);
    }
    EXPECT_EQ(Tested::current(), this->first_);
  }
  EXPECT_EQ(Tested::current(), this->before_);
}

TYPED_TEST(ServiceTest, WhatIsSetInsideAScopeGoesWithIt) {
  using Tested = typename TestFixture::Tested;
  {
    typename TestFixture::Scoped scope(this->first_);
    Tested::set(this->second_);
    EXPECT_EQ(Tested::current(), this->second_);
  }
  EXPECT_EQ(Tested::current(), this->before_);
}

TYPED_TEST(ServiceTest, AnEmptiedSlotMakesTheDefaultAgain) {
  using Tested = typename TestFixture::Tested;
  {
    typename TestFixture::Scoped scope(this->first_);
    Tested::set(nullptr);
    const auto made = Tested::current();
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, this->first_);
    EXPECT_TRUE(Slot<TypeParam>::is_default(*made));
    EXPECT_EQ(Tested::current(), made) << "made once, then kept";
  }
  EXPECT_EQ(Tested::current(), this->before_);
}

// An interface is lent by reference; a value is copied, so that the caller's
// object may go before the scope does.
TYPED_TEST(ServiceTest, AScopeTakesAnObjectByReference) {
  using Tested = typename TestFixture::Tested;
  {
    typename TestFixture::Scoped scope(*this->first_);
    EXPECT_TRUE(Slot<TypeParam>::same(*Tested::current(), *this->first_));
    EXPECT_EQ(Tested::current().get() == this->first_.get(), !Tested::kHoldsValues);
  }
  EXPECT_EQ(Tested::current(), this->before_);
}

}  // namespace
}  // namespace pharmex::platform
