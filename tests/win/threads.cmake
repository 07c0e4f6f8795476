# Windows-side tests of the threads modules: tulo_add_win_test(<name> <sources...>)
