#pragma once
#if defined(_WIN32)
#if defined(QUORVEX6_BUILDING)
#define QUORVEX6_API __declspec(dllexport)
#else
#define QUORVEX6_API __declspec(dllimport)
#endif
#else
#define QUORVEX6_API __attribute__((visibility("default")))
#endif
