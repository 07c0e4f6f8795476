# Host tests of the format modules: tulo_add_host_test(<name> <sources...>)
