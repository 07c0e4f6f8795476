# Benchmarks of the format modules: tulo_add_benchmark(<name> <sources...>)
