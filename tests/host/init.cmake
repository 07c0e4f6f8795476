# Host tests of runtime initialisation and the portable loader: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-winosver winosver.cpp)
# The portable loader over a recording native half of the test's own.
tulo_add_host_test(tst-ldr ldr.cpp ${CMAKE_SOURCE_DIR}/Runtime/common/ldr/ldr.cpp
                   ${CMAKE_SOURCE_DIR}/Runtime/common/ldr/ldrNative.cpp)
