# Fuzz targets of the %R format types: tulo_add_fuzzer(<name> <sources...>)
