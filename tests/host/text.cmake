# Host tests of the text modules: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-utf-8 utf-8.cpp)
tulo_add_host_test(tst-utf-16 utf-16.cpp)
tulo_add_host_test(tst-string string.cpp)
