// The COM task allocator: memory handed across an interface is allocated here
// and freed by the receiver with CoTaskMemFree.
#pragma once
#include <cstddef>

void* CoTaskMemAlloc(size_t cb);
void* CoTaskMemRealloc(void* pv, size_t cb);
void CoTaskMemFree(void* pv);
