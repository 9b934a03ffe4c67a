// Platform objects are released once and their variables set to null, so
// a second release, or a release of what was never made, does nothing.
#pragma once

template <typename T>
void release(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}
