# Fuzz targets of the text modules: tulo_add_fuzzer(<name> <sources...>)
tulo_add_fuzzer(utf-8-fuzz utf-8-fuzz.cpp)
