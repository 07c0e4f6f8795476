# Benchmarks of the text modules: tulo_add_benchmark(<name> <sources...>)
