# Host tests of the threads modules: tulo_add_host_test(<name> <sources...>)
