# Windows-side tests of the format modules: tulo_add_win_test(<name> <sources...>)
# The host tests of the engine and of the allocating front end, built for
# Windows, where va_list, long and the wide character type differ.
tulo_add_win_test(tstw-format ../host/format.cpp)
tulo_add_win_test(tstw-format-alloc ../host/format-alloc.cpp)
