#include "platform/Platform.h"

namespace hv::platform {

// Supplied by the backend: the real services of this system.
Services& SystemServices();

namespace {
Services* override_services = nullptr;
}  // namespace

Services& CurrentServices() {
  return override_services != nullptr ? *override_services : SystemServices();
}

ScopedServices::ScopedServices(Services& replacement) : previous_(override_services) {
  override_services = &replacement;
}

ScopedServices::~ScopedServices() { override_services = previous_; }

}  // namespace hv::platform
