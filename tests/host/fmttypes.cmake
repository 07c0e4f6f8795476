# Host tests of the %R format types: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-format-rt format-rt.cpp)
tulo_add_host_test(tst-errmsg errmsg.cpp)
