# Windows-side tests of special directories, native path forms, files and directories: tulo_add_win_test(<name> <sources...>)
