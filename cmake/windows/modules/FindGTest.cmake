# GoogleTest of the Windows cross build, compiled by cmake/windows/Dependencies.cmake.
set(GTest_FOUND TRUE)
