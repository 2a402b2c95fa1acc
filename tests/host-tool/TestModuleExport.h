#pragma once
// How the small test modules export their entry point on each platform.
#include "host/AEffect.h"

#if defined(_WIN32)
#define TEST_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
