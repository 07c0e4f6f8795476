# Fuzz targets of path syntax: tulo_add_fuzzer(<name> <sources...>)
