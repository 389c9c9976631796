// The Windows layer's unit tests: one program, run under Wine by the test command. COM is
// initialised as the palette initialises it, on this one thread.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    return 2;
  const int result = RUN_ALL_TESTS();
  ::CoUninitialize();
  return result;
}
