# Host tests of the threads modules: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-time time.cpp)
tulo_add_host_test(tst-rand randparkmiller.cpp)
