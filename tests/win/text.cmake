# Windows-side tests of the text modules: tulo_add_win_test(<name> <sources...>)
