# Fuzz targets of path syntax: tulo_add_fuzzer(<name> <sources...>)
tulo_add_fuzzer(path-fuzz path-fuzz.cpp)
