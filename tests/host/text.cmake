# Host tests of the text modules: tulo_add_host_test(<name> <sources...>)
