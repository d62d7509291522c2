#pragma once

// What keeps the library loaded: live command and enumerator objects, and
// locks taken through the factory. Both change only by atomic steps, from any thread.
void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);

// True while any object lives or any lock is held.
bool ServerInUse();
