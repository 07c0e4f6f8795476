# Windows-side tests of the text modules: tulo_add_win_test(<name> <sources...>)
tulo_add_win_test(tstw-utf8-win utf8-win.cpp)
