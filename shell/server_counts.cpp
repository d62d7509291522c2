#include "shell/server_counts.h"

#include <atomic>

namespace {

std::atomic<long> objectCount{0};
std::atomic<long> lockCount{0};

}  // namespace

void ObjectCreated() { objectCount.fetch_add(1); }

void ObjectDestroyed() { objectCount.fetch_sub(1); }

void ServerLocked(bool lock) {
  if (lock) {
    lockCount.fetch_add(1);
  } else {
    lockCount.fetch_sub(1);
  }
}

bool ServerInUse() { return objectCount.load() != 0 || lockCount.load() != 0; }
