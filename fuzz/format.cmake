# Fuzz targets of the format modules: tulo_add_fuzzer(<name> <sources...>)
tulo_add_fuzzer(format-fuzz format-fuzz.cpp)
