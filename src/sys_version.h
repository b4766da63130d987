// The program's version, one number for the exe, the updater and the tests.
// It comes from project(... VERSION) in CMakeLists.txt, nowhere else.
#pragma once

#ifndef VEMO_VERSION
#error "VEMO_VERSION is defined by the build from the project version"
#endif

inline constexpr const char* kAppVersion = VEMO_VERSION;
