# Host tests of path syntax and absolute paths: tulo_add_host_test(<name> <sources...>)
