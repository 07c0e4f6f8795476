# Host tests of the format modules: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-format format.cpp)
# The allocating front end on a heap of the test's own, which records and fails requests.
tulo_add_host_test(tst-format-alloc format-alloc.cpp)
