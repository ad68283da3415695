// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every test program of a sanitizer build: the sanitizer
// runtimes ask for these defaults at start-up, so the suppressions of
// third-party leaks in tests/lsan.supp apply however the program is started
// (CTest, by hand, on a desktop's display). LSAN_OPTIONS and UBSAN_OPTIONS
// from the environment still take precedence.

extern "C" const char* __lsan_default_options()
{
    return "suppressions=" VACANTIX_LSAN_SUPPRESSIONS;
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1";
}
