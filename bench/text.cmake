# Benchmarks of the text modules: tulo_add_benchmark(<name> <sources...>)
tulo_add_benchmark(utf16-bench utf16-bench.cpp)
