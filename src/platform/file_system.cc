#include "platform/file_system.h"

#include <atomic>

#include "platform/platform_defaults.h"

namespace pharmex::platform {

namespace {

std::atomic<FileSystem*>& current_slot() {
  static std::atomic<FileSystem*> slot{nullptr};
  return slot;
}

}  // namespace

FileSystem& file_system() {
  FileSystem* current = current_slot().load(std::memory_order_acquire);
  return current != nullptr ? *current : native_file_system();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement)
    : saved_(current_slot().exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedFileSystem::~ScopedFileSystem() {
  current_slot().store(saved_, std::memory_order_release);
}

}  // namespace pharmex::platform
