# Fuzz targets of the format modules: tulo_add_fuzzer(<name> <sources...>)
