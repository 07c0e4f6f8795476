# Host tests of special directories, native path forms, files and directories: tulo_add_host_test(<name> <sources...>)
