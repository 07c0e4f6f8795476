# Fuzz targets of the text modules: tulo_add_fuzzer(<name> <sources...>)
