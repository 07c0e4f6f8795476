# Host tests of the assertion reports: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-assert assert.cpp)
