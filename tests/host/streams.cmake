# Host tests of the standard streams and tool messages: tulo_add_host_test(<name> <sources...>)
tulo_add_host_test(tst-stream stream.cpp)
