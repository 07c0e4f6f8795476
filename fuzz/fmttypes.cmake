# Fuzz targets of the %R format types: tulo_add_fuzzer(<name> <sources...>)
tulo_add_fuzzer(format-rt-fuzz format-rt-fuzz.cpp)
