# Host tests of the %R format types: tulo_add_host_test(<name> <sources...>)
