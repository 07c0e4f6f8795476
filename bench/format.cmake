# Benchmarks of the format modules: tulo_add_benchmark(<name> <sources...>)
tulo_add_benchmark(format-bench format-bench.cpp)
