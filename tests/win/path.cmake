# Windows-side tests of path syntax and absolute paths: tulo_add_win_test(<name> <sources...>)
tulo_add_win_test(tstw-path-syntax path-syntax-win.cpp)
