# Windows-side tests of the format modules: tulo_add_win_test(<name> <sources...>)
